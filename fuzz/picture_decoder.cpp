// The guarded decoder on every format: the first byte picks the name's
// format (or none, when the content decides), the rest is the file.
#include "components/pixlet/PictureDecoder.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const QByteArray formats[] = {"jpeg", "png", "bmp", "", "gif", "webp", "tiff", "heif"};
    const QByteArray format = formats[data[0] % 8];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QSize box = data[0] & 0x80 ? QSize() : QSize(250, 250);
    const QImage image = PictureDecoder::Decode(bytes, format, box);
    if (!image.isNull() && box.isValid())
        FUZZ_CHECK(image.width() <= 250 && image.height() <= 250);
    return 0;
}
