// A cube document: what reads as a cube must write back to the same cube.
#include "core/CubeFile.h"
#include "fuzz/FuzzCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A document's folder holding photos/a.jpg, so that relative paths can lead
// somewhere.
QString DocumentPath()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        QDir(dir.path()).mkpath(QStringLiteral("photos"));
        QFile photo(dir.filePath(QStringLiteral("photos/a.jpg")));
        return photo.open(QIODevice::WriteOnly) && photo.write("photo") == 5;
    }();
    FUZZ_CHECK(made);
    return dir.filePath(QStringLiteral("cube.vexilo"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = DocumentPath();
    const CubeFile::Reading reading =
        CubeFile::Read(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), path);
    if (reading.status != CubeFile::Status::Read)
        return 0;
    const CubeFile::Reading again = CubeFile::Read(CubeFile::Write(reading.content, path), path);
    FUZZ_CHECK(again.status == CubeFile::Status::Read);
    FUZZ_CHECK(again.gonePhotos.isEmpty());
    FUZZ_CHECK(again.content == reading.content);
    return 0;
}
