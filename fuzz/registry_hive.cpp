// A hive file as the registry reads it: whatever parses must write out to a
// file that parses again to the same text.
#include "fuzz/FuzzCheck.h"
#include "platform/registry/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RegistryHive hive;
    if (!hive.parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        return 0;
    const QByteArray written = hive.serialize();
    RegistryHive again;
    FUZZ_CHECK(again.parse(written));
    FUZZ_CHECK(again.serialize() == written);
    return 0;
}
