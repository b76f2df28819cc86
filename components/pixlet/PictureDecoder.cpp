#include "components/pixlet/PictureDecoder.h"

#include "components/pixlet/JpegHeader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

// A progressive JPEG also needs the decoder's coefficient buffer, two bytes
// per sample of the full picture: this lets through photos of about
// 44 megapixels with full-resolution colour, 89 with the usual halved colour.
constexpr qint64 CoefficientLimit = qint64(256) << 20;

bool AcceptableJpeg(const QByteArray &data)
{
    const JpegHeader header = JpegHeader::Read(data);
    return header.valid() && header.complete && header.plausible()
        && header.coefficientBytes() <= CoefficientLimit;
}

} // namespace

namespace PictureDecoder {

QSize FitInto(QSize picture, QSize box)
{
    return picture.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

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

QImage Decode(const QByteArray &data, const QByteArray &nameFormat, QSize box, int limitMB)
{
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // Read from memory, the reader has no name to guess from: the format
    // found here is the one it decodes with.
    const QByteArray format = nameFormat.isEmpty() ? QImageReader::imageFormat(&buffer) : nameFormat;
    if (format.isEmpty() || (format == "jpeg" && !AcceptableJpeg(bytes)))
        return {};
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(limitMB);
    const QSize stored = reader.size();
    if (!stored.isValid())
        return {};
    if (box.isValid()) {
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            box.transpose();
        reader.setScaledSize(FitInto(stored, box));
    }
    return reader.read();
}

QImage DecodeFile(const QString &path, QSize box, int limitMB)
{
    // Only plain files: opening a pipe or device could block for ever.
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64(limitMB) << 20))
        return {};
    return Decode(file.readAll(), FormatOfName(path), box, limitMB);
}

} // namespace PictureDecoder
