#include "components/pixlet/PictureDecoder.h"

#include "components/pixlet/ExifBlock.h"
#include "components/pixlet/HeifDecoder.h"
#include "components/pixlet/JpegHeader.h"
#include "components/pixlet/JpegRegion.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <cmath>

#include <optional>

namespace {

// A progressive JPEG also needs the decoder's coefficient buffer, two bytes
// per sample of the full picture: this lets through photos of about
// 44 megapixels with full-resolution colour, 89 with the usual halved colour.
constexpr qint64 CoefficientLimit = qint64(256) << 20;

bool AcceptableJpeg(const JpegHeader &header)
{
    return header.valid() && header.complete && header.plausible() && header.coefficientBytes() <= CoefficientLimit;
}

// Skips a run of GIF data sub-blocks; the offset after their terminator, or
// -1 when the data ends first.
qsizetype SkipGifSubBlocks(const QByteArray &gif, qsizetype at)
{
    while (at < gif.size()) {
        const int length = quint8(gif.at(at));
        if (length == 0)
            return at + 1;
        at += 1 + length;
    }
    return -1;
}

// Qt's reader shows as much of a GIF's first frame as there is: the whole
// of that frame's data must be in the file.
bool FirstGifFrameComplete(const QByteArray &gif)
{
    if (gif.size() < 13)
        return false;
    const quint8 flags = quint8(gif.at(10));
    qsizetype at = 13 + ((flags & 0x80) ? 3 * (qsizetype(2) << (flags & 7)) : 0);
    while (at >= 0 && at < gif.size()) {
        const quint8 block = quint8(gif.at(at));
        if (block == 0x21) { // extension: label, then sub-blocks
            at = SkipGifSubBlocks(gif, at + 2);
        } else if (block == 0x2C) { // image: descriptor, colour table, code size, sub-blocks
            if (at + 10 >= gif.size())
                return false;
            const quint8 local = quint8(gif.at(at + 9));
            at += 10 + ((local & 0x80) ? 3 * (qsizetype(2) << (local & 7)) : 0) + 1;
            return SkipGifSubBlocks(gif, at) > 0;
        } else {
            return false;
        }
    }
    return false;
}

// The APP1 segment holding the EXIF block is at most 64 KB and comes first.
constexpr qint64 kPhotoHeadBytes = 70 * 1024;

// Formats by the endings of their names.
const struct
{
    const char *suffix;
    const char *format;
} kFormats[] = {{"jpg", "jpeg"}, {"jpeg", "jpeg"}, {"bmp", "bmp"}, {"png", "png"}, {"gif", "gif"},
                {"webp", "webp"}, {"tif", "tiff"}, {"tiff", "tiff"}, {"heic", "heif"}, {"heif", "heif"},
                {"avif", "heif"}};

// The formats whose orientation Qt's readers leave to us.
bool OrientedByExifBlock(const QByteArray &format)
{
    return format == "png" || format == "webp";
}

// Everything but JPEG is decoded at full size before it is scaled.
bool FitsInMemory(QSize size, int limitMB)
{
    return qint64(size.width()) * size.height() * 4 <= (qint64(limitMB) << 20);
}

// JPEG's reader scales in the decoder, WebP's through libwebp; the others
// would scale by dropping pixels, and 1-bit and palette pictures into noise:
// they are decoded whole and scaled here.
bool ReaderScales(const QByteArray &format)
{
    return format == "jpeg" || format == "webp";
}

// 1-bit, palette and 16-bit pictures in the 32-bit form smooth scaling and
// the thumbnails' JPEG take, transparency kept.
QImage TrueColour(const QImage &image)
{
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

QImage Scaled(const QImage &image, QSize box)
{
    if (image.isNull() || !box.isValid())
        return image;
    return image.scaled(PictureDecoder::FitInto(image.size(), box), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The format the name gives, else the one the content shows; empty when the
// content fails the checks made before the decoder sees it.
QByteArray CheckedFormat(QBuffer &buffer, const QByteArray &nameFormat)
{
    const QByteArray format = nameFormat.isEmpty() ? QImageReader::imageFormat(&buffer) : nameFormat;
    if (format.isEmpty() || (format == "jpeg" && !AcceptableJpeg(JpegHeader::Read(buffer.data())))
        || (format == "gif" && !FirstGifFrameComplete(buffer.data())))
        return {};
    return format;
}

// The size the picture's header declares; invalid when there is none or the
// picture would not fit in memory.
QSize DeclaredSize(QImageReader &reader, const QByteArray &format, int limitMB)
{
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(limitMB);
    const QSize stored = reader.size();
    if (!stored.isValid() || (format != "jpeg" && !FitsInMemory(stored, limitMB)))
        return {};
    return stored;
}

PictureDecoder::Decoded DecodeWithQt(QBuffer &buffer, const QByteArray &format, const PictureDecoder::BoxRule &boxFor,
                                     int limitMB)
{
    QImageReader reader(&buffer, format);
    const QSize stored = DeclaredSize(reader, format, limitMB);
    if (!stored.isValid())
        return {};
    QImageIOHandler::Transformations transformation = reader.transformation();
    if (transformation == QImageIOHandler::TransformationNone && OrientedByExifBlock(format))
        transformation = ExifBlock::Read(buffer.data()).transformation();
    const bool transposed = transformation & QImageIOHandler::TransformationRotate90;
    const QSize upright = transposed ? stored.transposed() : stored;
    const QSize box = boxFor(upright);
    if (box.isValid() && ReaderScales(format))
        reader.setScaledSize(PictureDecoder::FitInto(stored, transposed ? box.transposed() : box));
    reader.setAutoTransform(false);
    const QImage picture = Transformed(reader.read(), transformation);
    if (picture.isNull())
        return {};
    return {ReaderScales(format) ? picture : Scaled(TrueColour(picture), box), upright};
}

bool IsHeifData(const QByteArray &data, const QByteArray &nameFormat)
{
    return nameFormat == "heif" || (nameFormat.isEmpty() && HeifDecoder::IsHeif(data));
}

// Opens a plain file that is not larger than the limit. Only plain files:
// opening a pipe or device could block for ever.
bool OpenPictureFile(QFile &file, int limitMB)
{
    return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) && file.size() <= (qint64(limitMB) << 20);
}

// A plain file's bytes, when it can be read and is not larger than the limit.
std::optional<QByteArray> ReadPictureFile(const QString &path, int limitMB)
{
    QFile file(path);
    if (!OpenPictureFile(file, limitMB))
        return {};
    return file.readAll();
}

// A JPEG's checks need its markers, at the start, and its end-of-image
// marker, at the end: a large photo passes them on these bytes alone.
constexpr qint64 kJpegProbeHeadBytes = 256 * 1024;
constexpr qint64 kJpegProbeTailBytes = 64 * 1024;

// True when a large file named as JPEG passes the checks on its first and
// last bytes; false leaves the answer to the whole file.
bool ProbeJpegEnds(const QString &path, const QByteArray &nameFormat, int limitMB)
{
    QFile file(path);
    if (nameFormat != "jpeg" || !OpenPictureFile(file, limitMB))
        return false;
    const qint64 size = file.size();
    if (size <= kJpegProbeHeadBytes + kJpegProbeTailBytes)
        return false;
    QByteArray head = file.read(kJpegProbeHeadBytes);
    if (!file.seek(size - kJpegProbeTailBytes))
        return false;
    const QByteArray tail = file.read(kJpegProbeTailBytes);
    const JpegHeader header = JpegHeader::Read(head, size, tail);
    if (!AcceptableJpeg(header))
        return false;
    QBuffer buffer(&head);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    return DeclaredSize(reader, "jpeg", limitMB).isValid();
}


// Where a point of the stored picture lands once it is turned upright as
// Transformed turns it: mirrored or flipped first, then turned clockwise.
QTransform StoredToUpright(QSize stored, QImageIOHandler::Transformations transformation)
{
    const bool mirror = transformation & QImageIOHandler::TransformationMirror;
    const bool flip = transformation & QImageIOHandler::TransformationFlip;
    const QTransform mirrored(mirror ? -1 : 1, 0, 0, flip ? -1 : 1, mirror ? stored.width() : 0,
                              flip ? stored.height() : 0);
    if (!(transformation & QImageIOHandler::TransformationRotate90))
        return mirrored;
    return mirrored * QTransform(0, 1, -1, 0, stored.height(), 0);
}

// The smallest of libjpeg's scales (in eighths) at which a part this wide
// is at least edge pixels across; full size when none is.
int EighthsFor(int partWidth, int edge)
{
    for (int eighths = 1; eighths < 8; ++eighths)
        if (qint64(partWidth) * eighths >= qint64(edge) * 8)
            return eighths;
    return 8;
}

// The part of a JPEG, decoded alone and turned upright; a null picture when
// the file is not a JPEG that can be decoded so.
PictureDecoder::DecodedPart DecodeJpegPart(const QByteArray &data, const PictureDecoder::PartRule &partFor, int edge,
                                            int limitMB)
{
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    const QSize stored = DeclaredSize(reader, "jpeg", limitMB);
    if (!stored.isValid())
        return {};
    const QImageIOHandler::Transformations transformation = reader.transformation();
    const QTransform toUpright = StoredToUpright(stored, transformation);
    const QSize upright = toUpright.mapRect(QRectF(QPointF(), stored)).size().toSize();
    const QRect part = partFor(upright) & QRect(QPoint(), upright);
    if (part.isEmpty())
        return {};
    const QRect wanted = toUpright.inverted().mapRect(QRectF(part)).toAlignedRect() & QRect(QPoint(), stored);
    const JpegRegion::Part decoded = JpegRegion::Decode(data, wanted, EighthsFor(part.width(), edge));
    if (decoded.picture.isNull())
        return {};
    return {Transformed(decoded.picture, transformation), upright,
            toUpright.mapRect(QRectF(decoded.covered)).toAlignedRect()};
}

} // namespace

namespace PictureDecoder {

QSize FitInto(QSize picture, QSize box)
{
    return picture.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QByteArray FormatOfName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const auto &known : kFormats)
        if (suffix == QLatin1String(known.suffix))
            return known.format;
    return {};
}

Decoded DecodeFor(const QByteArray &data, const QByteArray &nameFormat, const BoxRule &boxFor, int limitMB)
{
    if (IsHeifData(data, nameFormat)) {
        const QImage whole = HeifDecoder::Decode(data, limitMB);
        if (whole.isNull())
            return {};
        return {Scaled(whole, boxFor(whole.size())), whole.size()};
    }
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // Read from memory, the reader has no name to guess from: the format
    // found here is the one it decodes with.
    const QByteArray format = CheckedFormat(buffer, nameFormat);
    return format.isEmpty() ? Decoded() : DecodeWithQt(buffer, format, boxFor, limitMB);
}

QImage Decode(const QByteArray &data, const QByteArray &nameFormat, QSize box, int limitMB)
{
    return DecodeFor(data, nameFormat, [box](QSize) { return box; }, limitMB).picture;
}

bool Probe(const QByteArray &data, const QByteArray &nameFormat, int limitMB)
{
    if (IsHeifData(data, nameFormat))
        return HeifDecoder::Probe(data, limitMB);
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = CheckedFormat(buffer, nameFormat);
    QImageReader reader(&buffer, format);
    return !format.isEmpty() && DeclaredSize(reader, format, limitMB).isValid();
}

Decoded DecodeFileFor(const QString &path, const BoxRule &boxFor, int limitMB)
{
    const std::optional<QByteArray> data = ReadPictureFile(path, limitMB);
    return data ? DecodeFor(*data, FormatOfName(path), boxFor, limitMB) : Decoded();
}

DecodedPart DecodeFilePart(const QString &path, const PartRule &partFor, int edge, int limitMB)
{
    const std::optional<QByteArray> data = ReadPictureFile(path, limitMB);
    if (!data)
        return {};
    const QByteArray nameFormat = FormatOfName(path);
    if (nameFormat == "jpeg" || (nameFormat.isEmpty() && data->startsWith("\xFF\xD8"))) {
        DecodedPart part = DecodeJpegPart(*data, partFor, edge, limitMB);
        if (!part.picture.isNull())
            return part;
    }
    // Anything else is decoded whole, scaled so that the part is edge
    // pixels across.
    const Decoded whole = DecodeFor(
        *data, nameFormat,
        [&](QSize upright) {
            const double scale = std::min(1.0, double(edge) / std::max(1, partFor(upright).width()));
            return QSize(int(std::ceil(upright.width() * scale)), int(std::ceil(upright.height() * scale)));
        },
        limitMB);
    return {whole.picture, whole.upright, QRect(QPoint(), whole.upright)};
}

QImage DecodeFile(const QString &path, QSize box, int limitMB)
{
    return DecodeFileFor(path, [box](QSize) { return box; }, limitMB).picture;
}

bool TooLargeFile(const QString &path, int limitMB)
{
    QFile file(path);
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > (qint64(limitMB) << 20))
        return true;
    const QByteArray data = file.readAll();
    const QByteArray nameFormat = FormatOfName(path);
    if (IsHeifData(data, nameFormat))
        return HeifDecoder::TooLarge(data, limitMB);
    const JpegHeader jpeg = JpegHeader::Read(data);
    if (jpeg.valid())
        return jpeg.coefficientBytes() > CoefficientLimit;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, nameFormat);
    const QSize declared = reader.size();
    return declared.isValid() && !FitsInMemory(declared, limitMB);
}

bool ProbeFile(const QString &path, int limitMB)
{
    const QByteArray nameFormat = FormatOfName(path);
    if (ProbeJpegEnds(path, nameFormat, limitMB))
        return true;
    const std::optional<QByteArray> data = ReadPictureFile(path, limitMB);
    return data && Probe(*data, nameFormat, limitMB);
}

QImage DecodePreviewFile(const QString &path, QSize box)
{
    const QByteArray format = FormatOfName(path);
    if (format == "heif") {
        const std::optional<QByteArray> data = ReadPictureFile(path, DefaultLimitMB);
        return data ? Scaled(HeifDecoder::DecodeThumbnail(*data, box), box) : QImage();
    }
    if (format != "jpeg" || !QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const ExifBlock exif = ExifBlock::Read(file.read(kPhotoHeadBytes));
    if (exif.preview.isEmpty())
        return {};
    const QImageIOHandler::Transformations transformation = exif.transformation();
    if (transformation & QImageIOHandler::TransformationRotate90)
        box.transpose();
    const QImage preview = Decode(exif.preview, "jpeg", {}, DefaultLimitMB);
    const QSize fitted = FitInto(preview.size(), box);
    if (preview.isNull() || fitted.width() > preview.width() || fitted.height() > preview.height())
        return {};
    return Transformed(Scaled(preview, box), transformation);
}

} // namespace PictureDecoder
