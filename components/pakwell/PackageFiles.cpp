#include "components/pakwell/PackageFiles.h"

#include "components/pakwell/PakwellFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cwctype>
#include <optional>

namespace Pakwell {
namespace {

// Decodes strict UTF-8 (no overlong forms, no surrogates).
std::optional<std::u32string> DecodeUtf8(std::string_view text)
{
    std::u32string decoded;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const unsigned extra = lead < 0x80                   ? 0
                               : lead >= 0xc2 && lead < 0xe0 ? 1
                               : lead >= 0xe0 && lead < 0xf0 ? 2
                               : lead >= 0xf0 && lead < 0xf5 ? 3
                                                             : 4;
        if (extra == 4 || i + extra >= text.size())
            return std::nullopt;
        char32_t c = extra == 0 ? lead : lead & (0x3f >> extra);
        for (unsigned k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return std::nullopt;
            c = c << 6 | (next & 0x3f);
        }
        static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < smallest[extra] || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff))
            return std::nullopt;
        decoded += c;
        i += extra + 1;
    }
    return decoded;
}

// Unicode case mappings, whatever the program's own locale.
locale_t UnicodeLocale()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    return locale;
}

// Equal as Windows compares file names, which ignores the case of every
// letter, not only of A to Z: both case mappings are tried, so that no pair
// the stub takes for one file gets through.
bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    const std::optional<std::u32string> x = DecodeUtf8(a), y = DecodeUtf8(b);
    if (!x || !y || x->size() != y->size())
        return a == b;
    const locale_t locale = UnicodeLocale();
    for (std::size_t i = 0; i < x->size(); ++i) {
        const wint_t c = wint_t((*x)[i]), d = wint_t((*y)[i]);
        if (c != d && towupper_l(c, locale) != towupper_l(d, locale) && towlower_l(c, locale) != towlower_l(d, locale))
            return false;
    }
    return true;
}

} // namespace

bool ReadPlainFile(const std::string &path, std::string &content, std::time_t &modified)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info
    {
    };
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        modified = info.st_mtime;
        content.resize(std::size_t(info.st_size));
        std::size_t done = 0;
        while (ok && done < content.size()) {
            const ssize_t got = read(fd, content.data() + done, content.size() - done);
            ok = got > 0 || (got < 0 && errno == EINTR);
            done += got > 0 ? std::size_t(got) : 0;
        }
        char more;
        ok = ok && read(fd, &more, 1) == 0; // the file did not grow meanwhile
    }
    close(fd);
    return ok;
}

bool IsPackageName(std::string_view name)
{
    const std::optional<std::u32string> decoded = DecodeUtf8(name);
    return decoded && IsSafeEntryName(*decoded);
}

bool ListPackageFiles(std::string_view fileList, std::vector<PackageFile> &files)
{
    files.clear();
    if (fileList.empty())
        return false;
    for (std::size_t start = 0; start <= fileList.size();) {
        std::size_t end = fileList.find('|', start);
        if (end == std::string_view::npos)
            end = fileList.size();
        PackageFile file;
        file.path = fileList.substr(start, end - start);
        file.name = file.path.substr(file.path.rfind('/') + 1);
        start = end + 1;
        if (file.path.empty() || !IsPackageName(file.name))
            return false;
        for (const PackageFile &earlier : files)
            if (SameNameIgnoringCase(earlier.name, file.name))
                return false;
        files.push_back(std::move(file));
    }
    return true;
}

} // namespace Pakwell
