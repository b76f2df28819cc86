// The EXIF reader on whole files of any format and on bare blocks: whatever
// it finds must lie inside the input.
#include "components/pixlet/ExifBlock.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const ExifBlock &block : {ExifBlock::Read(bytes), ExifBlock::ReadTiff(bytes)}) {
        FUZZ_CHECK(block.orientation >= 1 && block.orientation <= 8);
        FUZZ_CHECK(block.preview.size() <= bytes.size());
    }
    return 0;
}
