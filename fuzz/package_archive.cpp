// The package's archive both ways. The first byte chooses: even, the rest is
// a whole archive the stub's checks read (compiled natively from the same
// header); odd, the rest is a list of files ("name\0content\0...") that the
// builder writes and those checks must then accept, entry for entry.
#include "components/pakwell/ArchiveLayout.h"
#include "components/pakwell/PackageFiles.h"
#include "components/pakwell/ZipArchive.h"
#include "fuzz/FuzzCheck.h"

#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>
#include <zlib.h>

namespace {

using namespace Pakwell;

struct Checked
{
    unsigned entries = 0;
    bool accepted = false;
};

// What the stub checks before it writes anything, but the names, which it
// reads with Windows' own conversions: layout, overlaps, sizes, checksums.
Checked CheckAsStub(const Bytes &file)
{
    Checked result;
    std::uint64_t end = 0;
    if (!FindEndRecord(file, end))
        return result;
    const unsigned count = file.u16(end + 10);
    std::uint64_t at = file.u32(end + 16);
    if (count == 0 || count > MaxEntries || at + file.u32(end + 12) != end)
        return result;
    const std::uint64_t dataEnd = at;
    std::vector<EntryRecord> records;
    std::vector<std::uint64_t> dataStart;
    std::uint64_t unpacked = 0;
    for (unsigned i = 0; i < count; ++i) {
        EntryRecord record;
        std::uint64_t data = 0;
        if (!ReadCentralRecord(file, at, record) || !ReadLocalHeader(file, record, data)
            || data + record.packedSize > dataEnd)
            return result;
        for (unsigned j = 0; j < i; ++j)
            if (Overlap(records[j].local, dataStart[j] + records[j].packedSize, record.local, data + record.packedSize))
                return result;
        if ((unpacked += record.size) > MaxUnpackedTotal)
            return result;
        if (record.method == MethodStored
            && (record.packedSize != record.size || crc32(0, file.data + data, record.size) != record.crc))
            return result;
        records.push_back(record);
        dataStart.push_back(data);
    }
    result.entries = count;
    result.accepted = at == end;
    return result;
}

std::string BuildArchive(const uint8_t *data, size_t size, unsigned &files)
{
    const int fd = memfd_create("package", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    bool written = true;
    {
        ZipArchive archive(fd);
        written = archive.writeHead("MZ stub");
        const std::string input(reinterpret_cast<const char *>(data), size);
        std::vector<std::string> names;
        for (size_t at = 0; at < input.size() && written;) {
            size_t nameEnd = input.find('\0', at);
            if (nameEnd == std::string::npos)
                nameEnd = input.size();
            size_t contentEnd = input.find('\0', nameEnd + 1);
            if (contentEnd == std::string::npos)
                contentEnd = input.size();
            const std::string name = input.substr(at, nameEnd - at);
            const std::string content = nameEnd < input.size() ? input.substr(nameEnd + 1, contentEnd - nameEnd - 1) : std::string();
            at = contentEnd + 1;
            if (!IsPackageName(name))
                continue;
            written = archive.add(name, content, 0);
            ++files;
        }
        written = written && files > 0 && archive.finish("Vexilo Cube");
    }
    std::string bytes;
    if (written) {
        bytes.resize(size_t(lseek(fd, 0, SEEK_END)));
        FUZZ_CHECK(pread(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size()));
    }
    close(fd);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    if (data[0] % 2 == 0) {
        CheckAsStub({data + 1, size - 1});
        return 0;
    }
    unsigned files = 0;
    const std::string archive = BuildArchive(data + 1, size - 1, files);
    if (archive.empty())
        return 0;
    const Checked checked = CheckAsStub({reinterpret_cast<const unsigned char *>(archive.data()), archive.size()});
    FUZZ_CHECK(checked.accepted);
    FUZZ_CHECK(checked.entries == files);
    return 0;
}
