#include "tests/support/TestFormats.h"

#include "components/pixlet/ExifBlock.h"
#include "tests/support/TestPictures.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>

#include <libheif/heif.h>

namespace {

void Put32(QByteArray &out, quint32 v, bool bigEndian)
{
    for (int i = 0; i < 4; ++i)
        out += char(v >> (bigEndian ? 24 - 8 * i : 8 * i));
}

QByteArray Chunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk;
    Put32(chunk, quint32(data.size()), true);
    chunk += type + data;
    // The CRC covers type and data; readers that check it need it right.
    quint32 crc = 0xFFFFFFFFu;
    for (char c : type + data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    Put32(chunk, crc ^ 0xFFFFFFFFu, true);
    return chunk;
}

QByteArray RiffChunk(const QByteArray &fourcc, const QByteArray &data)
{
    QByteArray chunk = fourcc;
    Put32(chunk, quint32(data.size()), false);
    chunk += data;
    if (data.size() & 1)
        chunk += '\0';
    return chunk;
}

void Put16(QByteArray &out, quint32 v)
{
    out += char(v >> 8);
    out += char(v);
}

QByteArray IsoBox(const QByteArray &type, const QByteArray &contents)
{
    QByteArray box;
    Put32(box, quint32(8 + contents.size()), true);
    return box + type + contents;
}

QByteArray FullBox(const QByteArray &type, int version, const QByteArray &contents)
{
    QByteArray header;
    Put32(header, quint32(version) << 24, true);
    return IsoBox(type, header + contents);
}

// A box copied whole out of a file, found by its type.
QByteArray BoxOf(const QByteArray &file, const QByteArray &type)
{
    const qsizetype at = file.indexOf(type);
    if (at < 4)
        return {};
    quint32 size = 0;
    for (int i = 0; i < 4; ++i)
        size = size << 8 | quint8(file.at(at - 4 + i));
    return file.mid(at - 4, size);
}

QByteArray Ispe(QSize size)
{
    QByteArray contents;
    Put32(contents, quint32(size.width()), true);
    Put32(contents, quint32(size.height()), true);
    return FullBox("ispe", 0, contents);
}

// The meta box of a grid of `tiles` items, each placed at `tileAt`, and the
// grid's own description at `gridAt`.
QByteArray GridMeta(const QByteArray &hvcC, QSize tile, QSize grid, int tiles, quint32 tileAt, quint32 tileLength,
                    quint32 gridAt)
{
    QByteArray handler(4, '\0');
    handler += "pict" + QByteArray(13, '\0');
    QByteArray primary;
    Put16(primary, 1);
    QByteArray infos, locations, references, associations;
    Put16(infos, quint32(tiles + 1));
    locations += char(0x44);
    locations += char(0);
    Put16(locations, quint32(tiles + 1));
    Put16(references, 1);
    Put16(references, quint32(tiles));
    Put32(associations, quint32(tiles + 1), true);
    for (int item = 1; item <= tiles + 1; ++item) {
        QByteArray info;
        Put16(info, quint32(item));
        Put16(info, 0);
        infos += FullBox("infe", 2, info + (item == 1 ? "grid" : "hvc1") + '\0');
        Put16(locations, quint32(item));
        Put16(locations, 0);
        Put16(locations, 1);
        Put32(locations, item == 1 ? gridAt : tileAt, true);
        Put32(locations, item == 1 ? 8 : tileLength, true);
        if (item > 1)
            Put16(references, quint32(item));
        Put16(associations, quint32(item));
        if (item == 1) {
            associations += char(1);
            associations += char(3);
        } else {
            associations += char(2);
            associations += char(0x81);
            associations += char(2);
        }
    }
    const QByteArray properties = IsoBox("ipco", hvcC + Ispe(tile) + Ispe(grid));
    return FullBox("meta", 0,
                   FullBox("hdlr", 0, handler) + FullBox("pitm", 0, primary) + FullBox("iinf", 0, infos)
                       + FullBox("iref", 0, IsoBox("dimg", references)) + FullBox("iloc", 0, locations)
                       + IsoBox("iprp", properties + FullBox("ipma", 0, associations)));
}

heif_error WriteToArray(heif_context *, const void *data, size_t size, void *userdata)
{
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

heif_image *HeifPicture(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    heif_image *picture = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture);
    heif_image_add_plane(picture, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    return picture;
}

// The inverse of the orientation's transformation.
QImageIOHandler::Transformations Undo(int orientation)
{
    static const int kInverse[] = {0, 1, 2, 3, 4, 5, 8, 7, 6};
    ExifBlock block;
    block.orientation = kInverse[orientation];
    return block.transformation();
}

} // namespace

namespace TestFormats {

QImage StoredFor(const QImage &upright, int orientation)
{
    return Transformed(upright, Undo(orientation));
}

QByteArray HeifEnc(const QImage &image, bool avif, int thumbnailEdge)
{
    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("in.jpg"));
    const QString out = dir.filePath(avif ? QStringLiteral("out.avif") : QStringLiteral("out.heic"));
    if (!image.save(jpeg, "jpeg", 95))
        return {};
    QStringList arguments{QStringLiteral("-q"), QStringLiteral("90"), QStringLiteral("-o"), out, jpeg};
    if (thumbnailEdge > 0)
        arguments << QStringLiteral("-t") << QString::number(thumbnailEdge);
    // heif-enc's AV1 encoder takes its input only from JPEG.
    if (QProcess::execute(QStringLiteral("heif-enc"), arguments) != 0)
        return {};
    QFile file(out);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray HeifOriented(const QImage &image, bool avif, int orientation)
{
    return HeifWithThumbnail(image, {}, 0, avif, orientation);
}

QByteArray HeifWithThumbnail(const QImage &image, const QImage &thumbnail, int thumbnailEdge, bool avif,
                             int orientation)
{
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_context_get_encoder_for_format(context, avif ? heif_compression_AV1 : heif_compression_HEVC, &encoder);
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_image *picture = HeifPicture(image);
    heif_encoding_options *options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation(orientation);
    heif_image_handle *primary = nullptr;
    heif_context_encode_image(context, picture, encoder, options, &primary);
    if (!thumbnail.isNull()) {
        heif_image *small = HeifPicture(thumbnail);
        heif_context_encode_thumbnail(context, small, primary, encoder, options, thumbnailEdge, nullptr);
        heif_image_release(small);
    }
    heif_image_handle_release(primary);
    heif_encoding_options_free(options);
    QByteArray bytes;
    heif_writer writer{1, WriteToArray};
    heif_context_write(context, &writer, &bytes);
    heif_image_release(picture);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return bytes;
}

QByteArray PngWithExif(const QImage &image, int orientation)
{
    const QByteArray png = TestPictures::Encode(image, "png");
    // Signature (8) and IHDR (25) first, then the eXIf chunk.
    return png.left(33) + Chunk("eXIf", TestPictures::ExifTiff(orientation)) + png.mid(33);
}

QByteArray WebpWithExif(const QImage &image, int orientation)
{
    const QByteArray simple = TestPictures::Encode(image, "webp", 90);
    const QByteArray imageChunk = simple.mid(12); // the VP8 or VP8L chunk of a simple file
    QByteArray header;
    header += char(0x08); // EXIF present
    header += QByteArray(3, '\0');
    for (int edge : {image.width() - 1, image.height() - 1})
        for (int i = 0; i < 3; ++i)
            header += char(edge >> (8 * i));
    const QByteArray body =
        "WEBP" + RiffChunk("VP8X", header) + imageChunk + RiffChunk("EXIF", TestPictures::ExifTiff(orientation));
    QByteArray riff("RIFF");
    Put32(riff, quint32(body.size()), false);
    return riff + body;
}

QByteArray PngClaiming(const QImage &image, int width, int height)
{
    const QByteArray png = TestPictures::Encode(image, "png");
    QByteArray header;
    Put32(header, quint32(width), true);
    Put32(header, quint32(height), true);
    header += png.mid(24, 5); // depth, colour type, compression, filter, interlace
    return png.left(8) + Chunk("IHDR", header) + png.mid(33);
}

QByteArray HeifClaiming(QByteArray heif, int width, int height)
{
    const qsizetype at = heif.indexOf("ispe");
    if (at < 0)
        return {};
    QByteArray size;
    Put32(size, quint32(width), true);
    Put32(size, quint32(height), true);
    return heif.replace(at + 8, 8, size);
}

QByteArray HeifTileGrid(const QImage &tile, int columns, int rows)
{
    const QByteArray single = HeifOriented(tile, false, 1);
    const QByteArray hvcC = BoxOf(single, "hvcC");
    const QByteArray tileData = BoxOf(single, "mdat").mid(8);
    if (hvcC.isEmpty() || tileData.isEmpty())
        return {};
    const QSize grid(tile.width() * columns, tile.height() * rows);
    QByteArray layout;
    layout += char(0);
    layout += char(0);
    layout += char(rows - 1);
    layout += char(columns - 1);
    Put16(layout, quint32(grid.width()));
    Put16(layout, quint32(grid.height()));
    QByteArray brands("heic");
    Put32(brands, 0, true);
    const QByteArray fileType = IsoBox("ftyp", brands + "mif1heic");
    const int tiles = columns * rows;
    // The meta box's size does not depend on the offsets it holds.
    const qsizetype metaSize = GridMeta(hvcC, tile.size(), grid, tiles, 0, 0, 0).size();
    const quint32 tileAt = quint32(fileType.size() + metaSize + 8);
    const quint32 gridAt = tileAt + quint32(tileData.size());
    return fileType + GridMeta(hvcC, tile.size(), grid, tiles, tileAt, quint32(tileData.size()), gridAt)
        + IsoBox("mdat", tileData + layout);
}

QByteArray Converted(const QList<QImage> &frames, const QString &suffix, const QStringList &options)
{
    QTemporaryDir dir;
    QStringList arguments;
    for (int i = 0; i < frames.size(); ++i) {
        arguments << dir.filePath(QStringLiteral("%1.png").arg(i));
        if (!frames.at(i).save(arguments.last(), "png"))
            return {};
    }
    const QString out = dir.filePath(QStringLiteral("out.") + suffix);
    if (QProcess::execute(QStringLiteral("convert"), arguments << options << out) != 0)
        return {};
    QFile file(out);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray TiffOriented(const QImage &image, int orientation)
{
    ExifBlock block;
    block.orientation = orientation;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    writer.setTransformation(block.transformation());
    writer.write(image);
    return bytes;
}

} // namespace TestFormats
