// The decoder of a part of a JPEG: the first byte picks the scale (0 to 9,
// out of range included), the next eight the wanted part (x, y, width,
// height, 16 bits each), the rest is the file. A part it decodes must hold
// the wanted one, lie in the picture and have the size the scale gives.
#include "components/pixlet/JpegHeader.h"
#include "components/pixlet/JpegRegion.h"
#include "fuzz/FuzzCheck.h"

namespace {

constexpr size_t kChoiceBytes = 9;

int WordAt(const uint8_t *data, int at)
{
    return data[at] << 8 | data[at + 1];
}

int Scaled(int length, int scale)
{
    return (length * scale + 7) / 8;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < kChoiceBytes)
        return 0;
    const int scale = data[0] % 10;
    const QRect wanted(WordAt(data, 1), WordAt(data, 3), WordAt(data, 5), WordAt(data, 7));
    const QByteArray jpeg(reinterpret_cast<const char *>(data + kChoiceBytes), qsizetype(size - kChoiceBytes));
    const JpegRegion::Part part = JpegRegion::Decode(jpeg, wanted, scale);
    if (part.picture.isNull())
        return 0;
    const JpegHeader header = JpegHeader::Read(jpeg);
    FUZZ_CHECK(scale >= 1 && scale <= 8);
    FUZZ_CHECK(part.covered.contains(wanted));
    FUZZ_CHECK(QRect(0, 0, header.width, header.height).contains(part.covered));
    FUZZ_CHECK(part.picture.width() == Scaled(part.covered.width(), scale));
    FUZZ_CHECK(part.picture.height() == Scaled(part.covered.height(), scale));
    FUZZ_CHECK(part.picture.format() == QImage::Format_RGB32);
    return 0;
}
