// The button control's persisted property block: what reads writes back
// to a block that reads the same.
#include "fuzz/FuzzCheck.h"
#include "pressola/PropertyBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const PropertyBlock defaults;
    const auto block = PropertyBlock::Read(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), defaults);
    if (!block)
        return 0;
    const QByteArray written = block->Write();
    const auto again = PropertyBlock::Read(written, defaults);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->Write() == written);
    return 0;
}
