#include "components/pixlet/Pixlet.h"

#include "components/pixlet/JpegHeader.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace {

constexpr int MaxBoxEdge = 4096;
// What one decode may allocate for the decoded picture. A JPEG is decoded at
// reduced size, so only files of other formats ever reach their full size.
constexpr int DecodeLimitMB = 128;
constexpr qint64 DecodeLimit = qint64(DecodeLimitMB) << 20;
// A progressive JPEG also needs the decoder's coefficient buffer, two bytes
// per sample of the full picture: this lets through photos of about
// 44 megapixels with full-resolution colour, 89 with the usual halved colour.
constexpr qint64 CoefficientLimit = qint64(256) << 20;
constexpr int JpegQuality = 90;

// The name's ending says the format, as the editor's drop test reads it.
QByteArray FormatOfName(const QString &path)
{
    const QString name = path.toLower();
    if (name.endsWith(QLatin1String("jpg")) || name.endsWith(QLatin1String("jpeg")))
        return "jpeg";
    if (name.endsWith(QLatin1String("bmp")))
        return "bmp";
    if (name.endsWith(QLatin1String("png")))
        return "png";
    return {};
}

QSize FitInto(QSize picture, QSize box)
{
    return picture.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage Decode(QIODevice &device, const QByteArray &format, QSize box)
{
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(format.isEmpty());
    reader.setAutoTransform(true);
    reader.setAllocationLimit(DecodeLimitMB);
    QSize stored = reader.size();
    if (!stored.isValid())
        return {};
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        box.transpose();
    reader.setScaledSize(FitInto(stored, box));
    return reader.read();
}

bool AcceptableJpeg(const QByteArray &data)
{
    const JpegHeader header = JpegHeader::Read(data);
    return header.valid() && header.complete && header.plausible() && header.coefficientBytes() <= CoefficientLimit;
}

QImage DecodeFile(const QString &path, QSize box)
{
    // Only plain files: opening a pipe or device could block for ever.
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray format = FormatOfName(path);
    if (format != "jpeg")
        return Decode(file, format, box);
    if (file.size() > DecodeLimit)
        return {};
    QByteArray data = file.readAll();
    if (!AcceptableJpeg(data))
        return {};
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return Decode(buffer, format, box);
}

QImage ClipboardPicture(QSize box)
{
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return {};
    return picture.scaled(FitInto(picture.size(), box), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool WriteJpeg(const QImage &image, const QString &path)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(JpegQuality);
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

void Pixlet::setSourceFile(const QString &path)
{
    m_sourceFile = path;
    m_fromClipboard = false;
}

QImage Pixlet::FittedPicture() const
{
    if (m_box.width() < 1 || m_box.height() < 1 || m_box.width() > MaxBoxEdge || m_box.height() > MaxBoxEdge)
        return {};
    return m_fromClipboard ? ClipboardPicture(m_box) : DecodeFile(m_sourceFile, m_box);
}

bool Pixlet::Generate()
{
    const QImage picture = FittedPicture();
    if (picture.isNull())
        return false;
    QImage canvas(m_box, QImage::Format_RGB32);
    canvas.fill(m_backColor);
    QPainter painter(&canvas);
    painter.drawImage((m_box.width() - picture.width()) / 2, (m_box.height() - picture.height()) / 2, picture);
    painter.end();
    return WriteJpeg(canvas, m_destinationFile);
}
