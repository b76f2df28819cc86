#include "components/pixlet/JpegRegion.h"

#include "components/pixlet/JpegHeader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <utility>

#include <jpeglib.h>

namespace {

// The most a decoded part may take.
constexpr qint64 kPictureLimit = qint64(256) << 20;
// What libjpeg may allocate itself; a progressive file's coefficients, two
// bytes a sample of the whole picture, are most of it.
constexpr long kDecoderMemoryLimit = 256L << 20;
// Photos have about ten scans. Thousands of small progressive scans, each a
// pass over every block of the picture, would make a small file decode for
// minutes.
constexpr int kScanLimit = 500;

// Format_RGB32's bytes in memory. The X colour spaces leave the fourth byte
// undefined; Format_RGB32 needs it to be 0xFF.
constexpr J_COLOR_SPACE kRgb32Bytes = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
constexpr int kBytesPerPixel = 4;

// Everything one decode keeps is plain data: libjpeg leaves on an error by
// longjmp, which must not pass over anything with a destructor.
struct Decoder
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf failed;
};

// The part's rows as decoded: a malloc'd block the caller owns.
struct Rows
{
    unsigned char *pixels;
    int width;
    int height;
    QRect covered;
};

// A run of output pixels: rows or columns of the scaled picture.
struct Span
{
    JDIMENSION start;
    JDIMENSION length;
};

[[noreturn]] void Fail(j_common_ptr info)
{
    std::longjmp(static_cast<Decoder *>(info->client_data)->failed, 1);
}

// libjpeg's warnings are about damaged data it works around, as every
// reader of the file does.
void Silent(j_common_ptr)
{
}

void LimitScans(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kScanLimit)
        Fail(info);
}

void Prepare(Decoder &d)
{
    d.info.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = Fail;
    d.errors.output_message = Silent;
    d.info.client_data = &d;
    d.progress.progress_monitor = LimitScans;
}

bool Acceptable(const JpegHeader &header)
{
    return header.valid() && header.complete && header.plausible();
}

bool Inside(const QRect &wanted, const jpeg_decompress_struct &info)
{
    return !wanted.isEmpty() && wanted.left() >= 0 && wanted.top() >= 0 && qint64(wanted.right()) < info.image_width
           && qint64(wanted.bottom()) < info.image_height;
}

// The scaled pixels showing the full-size pixels first to last, grown to
// whole 8-pixel blocks and held within the scaled picture.
Span ScaledBlocks(int first, int last, JDIMENSION scaledWhole, int scale)
{
    const JDIMENSION start = JDIMENSION(first / 8) * JDIMENSION(scale);
    const JDIMENSION end = std::min(JDIMENSION(last / 8 + 1) * JDIMENSION(scale), scaledWhole);
    return {start, end - start};
}

// The full-size pixels a span of scaled pixels shows, [first, end): its
// edges are on block boundaries, or the end on the picture's far edge.
std::pair<int, int> FullSizeRun(const Span &span, JDIMENSION scaledWhole, JDIMENSION whole, int scale)
{
    const JDIMENSION end = span.start + span.length;
    return {int(span.start / JDIMENSION(scale) * 8), int(end == scaledWhole ? whole : end / JDIMENSION(scale) * 8)};
}

bool Allocate(Rows &rows, JDIMENSION width, JDIMENSION height)
{
    const qint64 bytes = qint64(width) * height * kBytesPerPixel;
    if (bytes > kPictureLimit)
        return false;
    rows.width = int(width);
    rows.height = int(height);
    rows.pixels = static_cast<unsigned char *>(std::malloc(size_t(bytes)));
    return rows.pixels != nullptr;
}

bool ReadLines(jpeg_decompress_struct &info, Rows &rows)
{
    const qsizetype stride = qsizetype(rows.width) * kBytesPerPixel;
    constexpr int kBatch = 16;
    JSAMPROW batch[kBatch];
    for (int line = 0; line < rows.height;) {
        const int count = std::min(kBatch, rows.height - line);
        for (int i = 0; i < count; ++i)
            batch[i] = rows.pixels + (line + i) * stride;
        const JDIMENSION read = jpeg_read_scanlines(&info, batch, JDIMENSION(count));
        if (read == 0)
            return false;
        line += int(read);
    }
    return true;
}

// Decodes into rows the scaled rows and columns holding wanted; the rows
// below are never decoded, as the caller destroys the decoder next.
bool DecodeRows(Decoder &d, const QByteArray &jpeg, const QRect &wanted, int scale, Rows &rows)
{
    if (setjmp(d.failed))
        return false;
    jpeg_create_decompress(&d.info);
    d.info.mem->max_memory_to_use = kDecoderMemoryLimit;
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d.info, TRUE);
    if (!Inside(wanted, d.info))
        return false;
    d.info.scale_num = JDIMENSION(scale);
    d.info.scale_denom = 8;
    d.info.out_color_space = kRgb32Bytes;
    jpeg_start_decompress(&d.info);
    const JDIMENSION scaledWidth = d.info.output_width;
    const JDIMENSION scaledHeight = d.info.output_height;
    Span columns = ScaledBlocks(wanted.left(), wanted.right(), scaledWidth, scale);
    const Span lines = ScaledBlocks(wanted.top(), wanted.bottom(), scaledHeight, scale);
    // Moves the start left to a column of MCUs, where decoding can begin.
    jpeg_crop_scanline(&d.info, &columns.start, &columns.length);
    if (!Allocate(rows, columns.length, lines.length))
        return false;
    jpeg_skip_scanlines(&d.info, lines.start);
    if (!ReadLines(d.info, rows))
        return false;
    const auto [left, right] = FullSizeRun(columns, scaledWidth, d.info.image_width, scale);
    const auto [top, bottom] = FullSizeRun(lines, scaledHeight, d.info.image_height, scale);
    rows.covered = QRect(left, top, right - left, bottom - top);
    return true;
}

} // namespace

namespace JpegRegion {

Part Decode(const QByteArray &jpeg, const QRect &wanted, int scaleEighths)
{
    if (scaleEighths < 1 || scaleEighths > 8 || !Acceptable(JpegHeader::Read(jpeg)))
        return {};
    Decoder decoder{};
    Prepare(decoder);
    Rows rows{};
    const bool decoded = DecodeRows(decoder, jpeg, wanted, scaleEighths, rows);
    jpeg_destroy_decompress(&decoder.info);
    if (!decoded) {
        std::free(rows.pixels);
        return {};
    }
    const QImage picture(
        rows.pixels, rows.width, rows.height, qsizetype(rows.width) * kBytesPerPixel, QImage::Format_RGB32,
        [](void *pixels) { std::free(pixels); }, rows.pixels);
    return {picture, rows.covered};
}

} // namespace JpegRegion
