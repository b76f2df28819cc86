#include "core/CubeFile.h"

#include "core/FileCommit.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>
#include <optional>

namespace {

const QString kFormatTag = QStringLiteral("vexilo-cube");
const QString kFormat = QStringLiteral("format");
const QString kVersion = QStringLiteral("version");
const QString kCaption = QStringLiteral("caption");
const QString kFaces = QStringLiteral("faces");
const QString kPhoto = QStringLiteral("photo");
const QString kRelative = QStringLiteral("relative");
const QString kPasted = QStringLiteral("pasted");
const QString kTurn = QStringLiteral("turn");
const QString kFraming = QStringLiteral("framing");
const QString kFill = QStringLiteral("fill");
const QString kBackdrop = QStringLiteral("backdrop");
const QString kBlurred = QStringLiteral("blurred");
const QString kSquare = QStringLiteral("square");
// No photo a decoder takes is wider or taller than this.
constexpr int MaxPictureEdge = 1 << 20;

// Bounds on what a document may make the reader hold: no cube needs more,
// and a damaged or hostile file must not take the machine's memory.
constexpr qint64 MaxFileBytes = 256LL * 1024 * 1024;
constexpr qsizetype MaxCaptionLength = 64 * 1024;
// A pasted picture is held as 32-bit colour: 128 MiB of pixels at most.
constexpr qint64 MaxPastedPixels = 32LL * 1024 * 1024;
// Decoders of 16-bit formats allocate 8 bytes a pixel before the conversion.
constexpr int PastedDecodeLimitMB = 256;

using Status = CubeFile::Status;
using Reading = CubeFile::Reading;

QDir FolderOf(const QString &documentPath)
{
    return QFileInfo(documentPath).absoluteDir();
}

// ---- Writing

QByteArray Png(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(picture);
    return bytes;
}

// Only what differs from the default framing is written.
void InsertFraming(QJsonObject &object, const FaceFraming &framing)
{
    if (framing.mode == FaceFraming::Mode::Fill)
        object.insert(kFraming, kFill);
    if (framing.backdrop == FaceFraming::Backdrop::Blurred)
        object.insert(kBackdrop, kBlurred);
    if (!framing.square.isEmpty())
        object.insert(kSquare, QJsonArray{framing.square.left(), framing.square.top(), framing.square.width()});
    if (framing.turn != 0)
        object.insert(kTurn, framing.turn);
}

QJsonObject FaceObject(const CubeFace &face, const QDir &folder)
{
    QJsonObject object;
    if (face.isPhoto())
        object = {{kPhoto, face.photo()}, {kRelative, folder.relativeFilePath(face.photo())}};
    if (face.isPasted())
        object = {{kPasted, QString::fromLatin1(Png(face.picture()).toBase64())}};
    if (!face.isEmpty())
        InsertFraming(object, face.framing());
    return object;
}


// ---- Reading

// A text the program can hold and write back as it was read: JSON escapes
// can spell a lone surrogate, which no UTF-8 file can hold.
std::optional<QString> Text(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    if (!text.isValidUtf16())
        return std::nullopt;
    return text;
}

// The clipboard gives 32-bit colour; a picture read back is held the same
// way, so that writing it again gives the same picture.
QImage AsPasted(const QImage &picture)
{
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// The picture of a base64 PNG; null when it does not decode or is larger
// than a pasted picture may be.
QImage DecodePasted(const QString &base64)
{
    const auto png = QByteArray::fromBase64Encoding(base64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!png)
        return {};
    QBuffer buffer;
    buffer.setData(*png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(PastedDecodeLimitMB);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > MaxPastedPixels)
        return {};
    return AsPasted(reader.read());
}

// Where the photo is now: at its path, else where the relative path leads
// from the document's folder; empty when it is at neither.
QString FindPhoto(const QString &path, const QString &relative, const QDir &folder)
{
    if (QFileInfo(path).isFile())
        return path;
    if (relative.isEmpty())
        return {};
    const QString moved = QDir::cleanPath(folder.absoluteFilePath(relative));
    return QFileInfo(moved).isFile() ? moved : QString();
}

std::optional<CubeFace> ReadPhoto(const QJsonObject &object, const QDir &folder, QString &gonePhoto)
{
    const auto path = Text(object.value(kPhoto));
    const QJsonValue relativeValue = object.value(kRelative);
    const auto relative = relativeValue.isUndefined() ? QString() : Text(relativeValue);
    if (!path || !relative || !QDir::isAbsolutePath(*path))
        return std::nullopt;
    const QString found = FindPhoto(*path, *relative, folder);
    if (found.isEmpty()) {
        gonePhoto = *path;
        return CubeFace();
    }
    return CubeFace::Photo(found);
}

std::optional<CubeFace> ReadPasted(const QJsonObject &object)
{
    const auto base64 = Text(object.value(kPasted));
    if (!base64)
        return std::nullopt;
    const QImage picture = DecodePasted(*base64);
    if (picture.isNull())
        return std::nullopt;
    return CubeFace::Pasted(picture);
}

// A face's turn: 0 when absent, else 90, 180 or 270; none for anything else.
std::optional<int> ReadTurn(const QJsonValue &value)
{
    if (value.isUndefined())
        return 0;
    const int degrees = value.toInt(-1);
    if (degrees < 0 || degrees >= 360 || degrees % 90 != 0)
        return std::nullopt;
    return degrees;
}

// One of the words a key may hold: the index of the word, 0 when absent;
// none for anything else.
std::optional<int> ReadWord(const QJsonValue &value, const QStringList &words)
{
    if (value.isUndefined())
        return 0;
    const qsizetype at = value.isString() ? words.indexOf(value.toString()) : -1;
    return at < 0 ? std::nullopt : std::optional<int>(int(at));
}

// A square as left, top and edge in the photo's pixels: empty when absent;
// none for anything else.
std::optional<QRect> ReadSquare(const QJsonValue &value)
{
    if (value.isUndefined())
        return QRect();
    const QJsonArray numbers = value.toArray();
    if (!value.isArray() || numbers.size() != 3)
        return std::nullopt;
    int at[3];
    for (int i = 0; i < 3; ++i) {
        at[i] = numbers[i].toInt(-1);
        if (at[i] < 0 || at[i] > MaxPictureEdge || numbers[i].toDouble() != at[i])
            return std::nullopt;
    }
    if (at[2] < 1)
        return std::nullopt;
    return QRect(at[0], at[1], at[2], at[2]);
}

std::optional<FaceFraming> ReadFraming(const QJsonObject &object)
{
    const auto mode = ReadWord(object.value(kFraming), {QStringLiteral("fit"), kFill});
    const auto backdrop = ReadWord(object.value(kBackdrop), {QStringLiteral("white"), kBlurred});
    const auto square = ReadSquare(object.value(kSquare));
    const auto turn = ReadTurn(object.value(kTurn));
    if (!mode || !backdrop || !square || !turn)
        return std::nullopt;
    FaceFraming framing;
    framing.mode = FaceFraming::Mode(*mode);
    framing.backdrop = FaceFraming::Backdrop(*backdrop);
    framing.square = *square;
    framing.turn = *turn;
    return framing;
}

// The face the value describes; none when it is damaged. Keys this version
// does not know are left for the versions that wrote them.
std::optional<CubeFace> ReadFace(const QJsonValue &value, const QDir &folder, QString &gonePhoto)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const bool photo = object.contains(kPhoto);
    const bool pasted = object.contains(kPasted);
    const std::optional<FaceFraming> framing = ReadFraming(object);
    if ((photo && pasted) || !framing)
        return std::nullopt;
    std::optional<CubeFace> face = CubeFace();
    if (photo)
        face = ReadPhoto(object, folder, gonePhoto);
    if (pasted)
        face = ReadPasted(object);
    if (face && !face->isEmpty())
        face = face->Framed(*framing);
    return face;
}

// Damaged for anything but a whole number from 1 on.
Status VersionStatus(const QJsonValue &value)
{
    const double version = value.toDouble();
    if (!value.isDouble() || version != std::trunc(version) || version < 1)
        return Status::Damaged;
    return version > CubeFile::Version ? Status::TooNew : Status::Read;
}

std::optional<QString> ReadCaption(const QJsonValue &value)
{
    if (value.isUndefined())
        return QString();
    const auto caption = Text(value);
    if (!caption || caption->size() > MaxCaptionLength)
        return std::nullopt;
    return caption;
}

Reading Failed(Status status, const QString &reason = {})
{
    Reading reading;
    reading.status = status;
    reading.reason = reason;
    return reading;
}

Reading ReadCube(const QJsonObject &document, const QDir &folder)
{
    const QJsonValue faces = document.value(kFaces);
    const auto caption = ReadCaption(document.value(kCaption));
    if (!caption || !faces.isArray() || faces.toArray().size() != FaceCount)
        return Failed(Status::Damaged);
    Reading reading;
    reading.content.caption = *caption;
    for (int i = 0; i < FaceCount; ++i) {
        QString gonePhoto;
        const auto face = ReadFace(faces[i], folder, gonePhoto);
        if (!face)
            return Failed(Status::Damaged);
        if (!gonePhoto.isEmpty())
            reading.gonePhotos.insert(i, gonePhoto);
        reading.content.faces[i] = *face;
    }
    reading.status = Status::Read;
    return reading;
}

} // namespace

QByteArray CubeFile::Write(const CubeContent &content, const QString &documentPath)
{
    const QDir folder = FolderOf(documentPath);
    QJsonArray faces;
    for (const CubeFace &face : content.faces)
        faces.append(FaceObject(face, folder));
    const QJsonObject document{
        {kFormat, kFormatTag}, {kVersion, Version}, {kCaption, content.caption}, {kFaces, faces}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

CubeFile::Reading CubeFile::Read(const QByteArray &bytes, const QString &documentPath)
{
    if (bytes.size() > MaxFileBytes)
        return Failed(Status::Damaged);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return Failed(Status::Damaged);
    const QJsonObject document = json.object();
    if (document.value(kFormat) != kFormatTag)
        return Failed(Status::Damaged);
    // A later version may have changed anything else: its number is all
    // that can be trusted.
    if (const Status status = VersionStatus(document.value(kVersion)); status != Status::Read)
        return Failed(status);
    return ReadCube(document, FolderOf(documentPath));
}

CubeFile::Reading CubeFile::Load(const QString &documentPath)
{
    QFile file(documentPath);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(Status::Unreadable, file.errorString());
    if (file.size() > MaxFileBytes)
        return Failed(Status::Damaged);
    // Read to one byte past the bound: a file that reports no size (or
    // grows) must still not be taken whole.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Failed(Status::Unreadable, file.errorString());
    return Read(bytes, documentPath);
}

bool CubeFile::Save(const CubeContent &content, const QString &documentPath, QString *reason)
{
    QSaveFile file(documentPath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    if (FileCommit::Write(file, Write(content, documentPath)) && FileCommit::Commit(file))
        return true;
    if (reason)
        *reason = FileCommit::LastReason();
    return false;
}
