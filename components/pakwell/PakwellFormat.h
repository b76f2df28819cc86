#pragma once

// What the package builder and the Windows stub agree on: the ZIP records
// they use and the rule for the file names a package may hold.

#include <cstdint>
#include <string_view>

namespace Pakwell {

constexpr std::uint32_t LocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t CentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t EndOfCentralDirSignature = 0x06054b50;
constexpr unsigned LocalHeaderSize = 30;
constexpr unsigned CentralHeaderSize = 46;
constexpr unsigned EndOfCentralDirSize = 22;
constexpr unsigned MaxCommentSize = 0xffff;

constexpr std::uint16_t FlagEncrypted = 0x0001;
constexpr std::uint16_t FlagStrongEncryption = 0x0040;
constexpr std::uint16_t FlagUtf8Name = 0x0800;
constexpr std::uint16_t MethodStored = 0;
constexpr std::uint16_t MethodDeflated = 8;

// Packages are flat: one folder of files, the page refers to them by name.
constexpr unsigned MaxEntries = 1024;
constexpr unsigned MaxNameLength = 255;       // in UTF-16 units, as Windows counts
// All files of a package together; a cube is a few megabytes.
constexpr std::uint64_t MaxUnpackedTotal = std::uint64_t(256) << 20;

// The stub carries a slot for the name of the file to open after unpacking;
// the builder finds the slot by its tag and writes the name (UTF-8) after it.
constexpr char OpenAfterTag[] = "PAKWELL-OPEN-AFTER:";
constexpr unsigned OpenAfterTagSize = sizeof(OpenAfterTag) - 1;
constexpr unsigned OpenAfterSlotSize = OpenAfterTagSize + 4 * MaxNameLength + 1;

namespace Detail {
constexpr char32_t Upper(char32_t c)
{
    return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c;
}

constexpr bool EqualsIgnoringCase(std::u32string_view a, std::u32string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with superscript digits) and the
// console and clock devices open a device instead of a file, whatever the
// extension.
constexpr bool IsDeviceName(std::u32string_view name)
{
    std::size_t length = 0;
    while (length < name.size() && name[length] != U'.')
        ++length;
    while (length > 0 && name[length - 1] == U' ')
        --length;
    const std::u32string_view stem(name.data(), length);
    for (std::u32string_view device : {U"CON", U"PRN", U"AUX", U"NUL", U"CONIN$", U"CONOUT$", U"CLOCK$"})
        if (EqualsIgnoringCase(stem, device))
            return true;
    const std::u32string_view prefix(name.data(), length < 3 ? length : 3);
    if (length != 4 || !(EqualsIgnoringCase(prefix, U"COM") || EqualsIgnoringCase(prefix, U"LPT")))
        return false;
    const char32_t digit = stem[3];
    return (digit >= U'0' && digit <= U'9') || digit == U'\u00b9' || digit == U'\u00b2' || digit == U'\u00b3';
}
} // namespace Detail

// A name that, joined to a folder, names a plain file in that folder on
// Windows and on Linux: no separators, drive letters or streams, no "." or
// "..", no device name, no character Windows refuses, no trailing dot or blank.
constexpr bool IsSafeEntryName(std::u32string_view name)
{
    std::size_t utf16Units = 0;
    for (char32_t c : name)
        utf16Units += c > 0xffff ? 2 : 1;
    if (name.empty() || utf16Units > MaxNameLength)
        return false;
    for (char32_t c : name)
        if (c < 0x20 || c == 0x7f || std::u32string_view(U"<>:\"/\\|?*").find(c) != std::u32string_view::npos)
            return false;
    if (name.back() == U'.' || name.back() == U' ')
        return false;
    return !Detail::IsDeviceName(name);
}

} // namespace Pakwell
