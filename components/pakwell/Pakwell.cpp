#include "components/pakwell/Pakwell.h"

#include "components/pakwell/PackageFiles.h"
#include "components/pakwell/StubImage.h"
#include "components/pakwell/ZipArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

using namespace Pakwell;

// With a comment the end record is not the last 22 bytes of the file, where
// file-type sniffers (libmagic) look for it first: they then see the package
// as the Windows program it is rather than as a plain ZIP archive.
constexpr std::string_view ArchiveComment = "Vexilo Cube";

bool WriteAll(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += std::size_t(wrote);
    }
    return true;
}

// Writes the file beside its final place and puts it there only when it is
// complete, so an earlier package stays whole until the new one replaces it.
bool ReplaceFile(const std::string &path, const std::string &bytes)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    const bool written = fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (written && closed && rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}

bool BuildPackage(const std::string &exe, std::string_view fileList, std::string_view openAfter)
{
    if (exe.empty() || (!openAfter.empty() && !IsPackageName(openAfter)))
        return false;
    std::vector<PackageFile> files;
    std::string stub;
    if (!ReadPackageFiles(fileList, files) || !StubWithOpenAfter(openAfter, stub))
        return false;
    ZipArchive archive(std::move(stub));
    for (const PackageFile &file : files)
        if (!archive.add(file.name, file.content, file.modified))
            return false;
    std::string package;
    return archive.finish(ArchiveComment, package) && ReplaceFile(exe, package);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int BuildSelfExtractingFile(const char *exe, const char *fileList, const char *openAfter, const char *)
{
    if (!exe || !fileList || !openAfter)
        return 0;
    return BuildPackage(exe, fileList, openAfter) ? 1 : 0;
}
