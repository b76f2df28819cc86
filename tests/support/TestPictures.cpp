#include "tests/support/TestPictures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

namespace TestPictures {

QImage Quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2, h = size.height() / 2;
    QPainter p(&image);
    p.fillRect(0, 0, w, h, Qt::red);
    p.fillRect(w, 0, size.width() - w, h, Qt::green);
    p.fillRect(0, h, w, size.height() - h, Qt::blue);
    p.fillRect(w, h, size.width() - w, size.height() - h, Qt::yellow);
    return image;
}

QImage Solid(QSize size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QByteArray Encode(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

QByteArray ExifTiff(int orientation, const QByteArray &preview)
{
    // Big-endian TIFF: IFD0 with one entry, tag 0x0112, SHORT, count 1; then,
    // with a preview, IFD1 with its offset (0x0201) and length (0x0202).
    QByteArray tiff("MM\x00\x2A\x00\x00\x00\x08", 8);
    auto put16 = [&tiff](quint16 v) {
        tiff += char(v >> 8);
        tiff += char(v & 0xFF);
    };
    auto put32 = [&](quint32 v) {
        put16(quint16(v >> 16));
        put16(quint16(v & 0xFFFF));
    };
    auto entry = [&](quint16 tag, quint16 type, quint32 value) {
        put16(tag);
        put16(type);
        put32(1);
        if (type == 3) {
            put16(quint16(value));
            put16(0);
        } else {
            put32(value);
        }
    };
    put16(1);
    entry(0x0112, 3, quint32(orientation));
    const quint32 ifd1 = 8 + 2 + 12 + 4;
    put32(preview.isEmpty() ? 0 : ifd1);
    if (!preview.isEmpty()) {
        put16(2);
        entry(0x0201, 4, ifd1 + 2 + 2 * 12 + 4);
        entry(0x0202, 4, quint32(preview.size()));
        put32(0);
        tiff += preview;
    }
    return tiff;
}

QByteArray WithExifOrientation(const QByteArray &jpeg, int orientation, const QByteArray &preview)
{
    const QByteArray payload = QByteArray("Exif\0\0", 6) + ExifTiff(orientation, preview);
    const int length = payload.size() + 2;
    QByteArray app1("\xFF\xE1", 2);
    app1 += char(length >> 8);
    app1 += char(length & 0xFF);
    return jpeg.left(2) + app1 + payload + jpeg.mid(2);
}

QByteArray JpegHeaderOnly(int width, int height, int frameMarker, qsizetype dataBytes, bool withEnd)
{
    QByteArray j("\xFF\xD8", 2);
    // One quantisation table of ones.
    j += QByteArray("\xFF\xDB\x00\x43\x00", 5) + QByteArray(64, '\x01');
    j += char(0xFF);
    j += char(frameMarker);
    j += QByteArray("\x00\x11\x08", 3);
    j += char(height >> 8);
    j += char(height & 0xFF);
    j += char(width >> 8);
    j += char(width & 0xFF);
    j += QByteArray("\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 10);
    // One DC Huffman table with a single one-bit code for category 0.
    j += QByteArray("\xFF\xC4\x00\x14\x00\x01", 6) + QByteArray(15, '\0') + QByteArray(1, '\0');
    j += QByteArray("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x00\x03\x00\x00\x3F\x00", 14);
    j += QByteArray(dataBytes, '\0');
    if (withEnd)
        j += QByteArray("\xFF\xD9", 2);
    return j;
}

QByteArray JpegWithHiddenFrame(int width, int height, qsizetype dataBytes)
{
    const QByteArray real = JpegHeaderOnly(width, height, 0xC0, dataBytes, true);
    const QByteArray decoy = JpegHeaderOnly(16, 16, 0xC0, 0, false).mid(71, 19);
    const QByteArray tables = real.mid(2, 69);
    const QByteArray frame = real.mid(71, 19);
    const QByteArray comment = QByteArray("\xFF\xFE\x00", 3) + char(2 + decoy.size());
    // The "length" after FF 00 spans the tables, the real frame and the
    // comment's own marker and length, landing on the decoy.
    const int span = 2 + tables.size() + frame.size() + comment.size();
    return real.left(2) + QByteArray("\xFF\x00\x00", 3) + char(span) + tables + frame + comment + decoy + real.mid(90);
}

bool Near(QColor a, QColor b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

bool AreaIs(const QImage &image, const QRect &area, const QColor &color, int tolerance)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!Near(image.pixelColor(x, y), color, tolerance))
                return false;
    return true;
}

} // namespace TestPictures
