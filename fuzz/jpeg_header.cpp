// A JPEG's markers, read whole and from a head and a tail as a large file's
// check reads them, and the decoder behind the check when the check lets
// the file through.
#include "components/pixlet/JpegHeader.h"
#include "components/pixlet/PictureDecoder.h"
#include "fuzz/FuzzCheck.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const JpegHeader header = JpegHeader::Read(bytes);
    if (header.valid())
        FUZZ_CHECK(header.blocks > 0 && header.scanData <= bytes.size());
    // The ends say no more than the whole file: the same frame, and complete
    // only when the whole file is.
    const qsizetype cut = size > 0 ? data[0] * qsizetype(size) / 256 : 0;
    const JpegHeader ends = JpegHeader::Read(bytes.left(cut), bytes.size(), bytes.mid(cut));
    if (ends.valid()) {
        FUZZ_CHECK(ends.width == header.width && ends.height == header.height && ends.blocks == header.blocks);
        FUZZ_CHECK(ends.scanData == header.scanData && (!ends.complete || header.complete));
    }
    const QImage image = PictureDecoder::Decode(bytes, "jpeg", QSize(77, 77));
    if (!image.isNull())
        FUZZ_CHECK(image.width() <= 77 && image.height() <= 77);
    return 0;
}
