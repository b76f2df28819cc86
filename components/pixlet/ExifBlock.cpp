#include "components/pixlet/ExifBlock.h"

#include <QTransform>

namespace {

constexpr quint16 kOrientationTag = 0x0112;
constexpr quint16 kPreviewOffsetTag = 0x0201;
constexpr quint16 kPreviewLengthTag = 0x0202;
constexpr int kEntrySize = 12;
// A real IFD holds a few dozen entries; this bounds the work on a bad one.
constexpr int kMaxEntries = 512;

const QByteArray kExifPrefix("Exif\0\0", 6);

// Bounds-checked reads of the TIFF block in its own byte order.
class TiffReader
{
public:
    explicit TiffReader(const QByteArray &tiff)
        : m_data(tiff)
        , m_bigEndian(tiff.startsWith("MM"))
    {
    }

    bool valid() const
    {
        return (m_data.startsWith(QByteArray("II*\0", 4)) || m_data.startsWith(QByteArray("MM\0*", 4)));
    }
    bool has(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset + length <= m_data.size();
    }

    quint32 u16(qint64 offset) const { return has(offset, 2) ? combine(offset, 2) : 0; }
    quint32 u32(qint64 offset) const { return has(offset, 4) ? combine(offset, 4) : 0; }
    QByteArray bytes(qint64 offset, qint64 length) const
    {
        return has(offset, length) ? m_data.mid(offset, length) : QByteArray();
    }

private:
    quint32 combine(qint64 offset, int length) const
    {
        quint32 value = 0;
        for (int i = 0; i < length; ++i) {
            const quint32 byte = quint8(m_data.at(offset + (m_bigEndian ? i : length - 1 - i)));
            value = (value << 8) | byte;
        }
        return value;
    }

    const QByteArray &m_data;
    bool m_bigEndian;
};

// The value of a SHORT or LONG entry, which sits in the entry itself.
quint32 EntryValue(const TiffReader &tiff, qint64 entry)
{
    return tiff.u16(entry + 2) == 3 ? tiff.u16(entry + 8) : tiff.u32(entry + 8);
}

// Calls visit(tag, value) for every entry of the IFD at offset; returns the
// offset of the next IFD, 0 when there is none.
template <typename Visit> quint32 ReadIfd(const TiffReader &tiff, qint64 offset, Visit visit)
{
    const int count = int(tiff.u16(offset));
    if (count > kMaxEntries || !tiff.has(offset + 2, qint64(count) * kEntrySize + 4))
        return 0;
    for (int i = 0; i < count; ++i) {
        const qint64 entry = offset + 2 + qint64(i) * kEntrySize;
        visit(tiff.u16(entry), EntryValue(tiff, entry));
    }
    return tiff.u32(offset + 2 + qint64(count) * kEntrySize);
}

quint32 BigEndian32(const QByteArray &data, qint64 offset)
{
    return (quint32(quint8(data.at(offset))) << 24) | (quint32(quint8(data.at(offset + 1))) << 16)
           | (quint32(quint8(data.at(offset + 2))) << 8) | quint32(quint8(data.at(offset + 3)));
}

quint32 LittleEndian32(const QByteArray &data, qint64 offset)
{
    return quint32(quint8(data.at(offset))) | (quint32(quint8(data.at(offset + 1))) << 8)
           | (quint32(quint8(data.at(offset + 2))) << 16) | (quint32(quint8(data.at(offset + 3))) << 24);
}

// The APP1 segments before the first scan.
QByteArray JpegExif(const QByteArray &file)
{
    qint64 at = 2;
    while (at + 4 <= file.size() && quint8(file.at(at)) == 0xFF) {
        const quint8 marker = quint8(file.at(at + 1));
        if (marker == 0xDA || marker == 0xD9)
            break;
        const qint64 length = (qint64(quint8(file.at(at + 2))) << 8) | quint8(file.at(at + 3));
        if (length < 2 || at + 2 + length > file.size())
            break;
        const QByteArray segment = file.mid(at + 4, length - 2);
        if (marker == 0xE1 && segment.startsWith(kExifPrefix))
            return segment.mid(kExifPrefix.size());
        at += 2 + length;
    }
    return {};
}

// The eXIf chunk, which comes before the image data.
QByteArray PngExif(const QByteArray &file)
{
    qint64 at = 8;
    while (at + 12 <= file.size()) {
        const qint64 length = BigEndian32(file, at);
        const QByteArray type = file.mid(at + 4, 4);
        if (type == "IDAT" || length > file.size() - at - 12)
            break;
        if (type == "eXIf")
            return file.mid(at + 8, length);
        at += 12 + length;
    }
    return {};
}

// The EXIF chunk of an extended WebP file; some writers keep the JPEG prefix.
QByteArray WebpExif(const QByteArray &file)
{
    qint64 at = 12;
    while (at + 8 <= file.size()) {
        const qint64 length = LittleEndian32(file, at + 4);
        if (length > file.size() - at - 8)
            break;
        if (file.mid(at, 4) == "EXIF") {
            const QByteArray block = file.mid(at + 8, length);
            return block.startsWith(kExifPrefix) ? block.mid(kExifPrefix.size()) : block;
        }
        at += 8 + length + (length & 1);
    }
    return {};
}

QByteArray FindExif(const QByteArray &file)
{
    if (file.startsWith("\xFF\xD8"))
        return JpegExif(file);
    if (file.startsWith("\x89PNG\r\n\x1A\n"))
        return PngExif(file);
    if (file.startsWith("RIFF") && file.mid(8, 4) == "WEBP")
        return WebpExif(file);
    return {};
}

} // namespace

ExifBlock ExifBlock::Read(const QByteArray &file)
{
    return ReadTiff(FindExif(file));
}

ExifBlock ExifBlock::ReadTiff(const QByteArray &data)
{
    ExifBlock block;
    const TiffReader tiff(data);
    if (!tiff.valid())
        return block;
    const quint32 next = ReadIfd(tiff, tiff.u32(4), [&](quint16 tag, quint32 value) {
        if (tag == kOrientationTag && value >= 1 && value <= 8)
            block.orientation = int(value);
    });
    quint32 previewOffset = 0, previewLength = 0;
    if (next != 0)
        ReadIfd(tiff, next, [&](quint16 tag, quint32 value) {
            if (tag == kPreviewOffsetTag)
                previewOffset = value;
            else if (tag == kPreviewLengthTag)
                previewLength = value;
        });
    if (previewLength > 0)
        block.preview = tiff.bytes(previewOffset, previewLength);
    return block;
}

QImageIOHandler::Transformations ExifBlock::transformation() const
{
    using T = QImageIOHandler;
    static const QImageIOHandler::Transformations kByOrientation[] = {
        T::TransformationNone,     T::TransformationNone,
        T::TransformationMirror,   T::TransformationRotate180,
        T::TransformationFlip,     T::TransformationFlipAndRotate90,
        T::TransformationRotate90, T::TransformationMirrorAndRotate90,
        T::TransformationRotate270};
    return kByOrientation[orientation];
}

QImage Transformed(const QImage &image, QImageIOHandler::Transformations transformation)
{
    QImage result = image.mirrored(transformation & QImageIOHandler::TransformationMirror,
                                   transformation & QImageIOHandler::TransformationFlip);
    if (transformation & QImageIOHandler::TransformationRotate90)
        result = result.transformed(QTransform().rotate(90));
    return result;
}
