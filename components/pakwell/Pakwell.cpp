#include "components/pakwell/Pakwell.h"

#include "components/pakwell/PackageFiles.h"
#include "components/pakwell/PakwellFormat.h"
#include "components/pakwell/StubImage.h"
#include "components/pakwell/ZipArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

using namespace Pakwell;

// With a comment the end record is not the last 22 bytes of the file, where
// file-type sniffers (libmagic) look for it first: they then see the package
// as the Windows program it is rather than as a plain ZIP archive.
constexpr std::string_view ArchiveComment = "Vexilo Cube";

bool WritePackage(int fd, std::string_view stub, const std::vector<PackageFile> &files)
{
    ZipArchive archive(fd);
    archive.writeHead(stub);
    std::string content; // kept from file to file
    std::time_t modified = 0;
    std::uint64_t unpacked = 0; // the stub refuses packages that unpack to more
    for (const PackageFile &file : files) {
        if (!ReadPlainFile(file.path, content, modified) || (unpacked += content.size()) > MaxUnpackedTotal
            || !archive.add(file.name, content, modified))
            return false;
    }
    return archive.finish(ArchiveComment);
}

// Writes the package beside its final place and puts it there only when it
// is complete, so an earlier package stays whole until the new one replaces
// it. (No fsync: the package is rebuilt by every command that needs it.)
bool BuildPackage(const std::string &exe, std::string_view fileList, std::string_view openAfter)
{
    if (exe.empty() || (!openAfter.empty() && !IsPackageName(openAfter)))
        return false;
    std::vector<PackageFile> files;
    std::string stub;
    if (!ListPackageFiles(fileList, files) || !StubWithOpenAfter(openAfter, stub))
        return false;
    std::string temporary = exe + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    const bool written = fchmod(fd, 0644) == 0 && WritePackage(fd, stub, files);
    const bool closed = close(fd) == 0;
    if (written && closed && rename(temporary.c_str(), exe.c_str()) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int BuildSelfExtractingFile(const char *exe, const char *fileList,
                                                                              const char *openAfter, const char *)
{
    if (!exe || !fileList || !openAfter)
        return 0;
    return BuildPackage(exe, fileList, openAfter) ? 1 : 0;
}
