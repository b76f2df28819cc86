// A JPEG's markers, and the decoder behind the check when the check lets
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
    const QImage image = PictureDecoder::Decode(bytes, "jpeg", QSize(77, 77));
    if (!image.isNull())
        FUZZ_CHECK(image.width() <= 77 && image.height() <= 77);
    return 0;
}
