// A mounts table in the format of /proc/self/mounts.
#include "fuzz/FuzzCheck.h"
#include "platform/CdromDrives.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList roots = CdromDrives::discMountPoints(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &root : roots)
        FUZZ_CHECK(!root.isEmpty());
    return 0;
}
