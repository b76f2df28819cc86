// A disc's info.cd, read from a file as the catalog search reads it.
#include "photosource/CatalogSearch.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("info.cd"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return 0;
    file.close();
    if (const auto info = ReadInfoCd(path))
        CatalogNameFor(*info);
    return 0;
}
