// A catalog file: what reads must write back to the same photos.
#include "components/tbrowser/CatalogFile.h"
#include "fuzz/FuzzCheck.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto photos = CatalogFile::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!photos)
        return 0;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    FUZZ_CHECK(CatalogFile::write(out, *photos));
    FUZZ_CHECK(CatalogFile::parse(out.data()) == photos);
    return 0;
}
