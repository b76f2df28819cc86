// The Windows program at the head of every Cube.exe. It reads its own file,
// checks the ZIP archive that follows the program, unpacks it into its own
// folder under %TEMP% (one per package content, reused when the same package
// is opened again) and opens the page. "Cube.exe /x FOLDER" only unpacks,
// silently, into FOLDER (made with its parents when missing).
//
// Nothing is written before the whole archive has been checked (every header,
// every name, every checksum), a file that is there already under a packed
// name is never replaced, and a failure while writing removes what was
// written, so a damaged package leaves nothing behind.
//
// The stub travels inside every package, so it keeps to the Win32 API and
// zlib: no C++ library containers, fixed-size texts.

#include "components/pakwell/ArchiveLayout.h"

#include <windows.h>
#include <shellapi.h>
#include <zlib.h>

// Filled in by the package builder; see PakwellFormat.h.
volatile char gOpenAfter[Pakwell::OpenAfterSlotSize] = "PAKWELL-OPEN-AFTER:";

namespace {

using namespace Pakwell;

enum ExitCode { Unpacked = 0, UsageError = 1, Damaged = 2, WriteFailed = 3 };

// A text that silently ends at its capacity (longer paths fail to open).
struct Text
{
    static constexpr int Capacity = 2048;
    wchar_t chars[Capacity] = {};
    int length = 0;

    Text &operator<<(const wchar_t *more)
    {
        while (*more && length < Capacity - 1)
            chars[length++] = *more++;
        chars[length] = 0;
        return *this;
    }
    Text &operator<<(const Text &more) { return *this << more.chars; }
    Text &operator<<(unsigned number)
    {
        wchar_t digits[16];
        wsprintfW(digits, L"%u", number);
        return *this << digits;
    }
};

struct Failure
{
    ExitCode code = Unpacked;
    Text reason;
};

struct Entry
{
    wchar_t name[MaxNameLength + 1];
    std::uint16_t method;
    std::uint32_t crc;
    std::uint32_t packedSize;
    std::uint32_t size;
    std::uint64_t local;
    std::uint64_t dataOffset;
    bool present; // the target folder holds this very file already
};

unsigned char gInflateBuffer[1 << 16];

Failure &Fail(Failure &failure, ExitCode code)
{
    failure.code = code;
    failure.reason.length = 0;
    return failure;
}

Text Quoted(const wchar_t *name)
{
    Text text;
    text << L"\"" << name << L"\"";
    return text;
}

// Converts 8-bit text to wide; false for invalid UTF-8 or a name too long.
bool Widen(const char *text, int length, UINT codePage, wchar_t *wide, int capacity)
{
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int count = length == 0 ? 0 : MultiByteToWideChar(codePage, flags, text, length, wide, capacity - 1);
    wide[count > 0 ? count : 0] = 0;
    return length == 0 || count > 0;
}

bool IsSafeName(const wchar_t *name)
{
    char32_t wide[MaxNameLength + 2];
    unsigned length = 0;
    while (name[length] && length <= MaxNameLength) {
        wide[length] = name[length];
        ++length;
    }
    return IsSafeEntryName(std::u32string_view(wide, length));
}

void OpenAfterName(wchar_t *name, int capacity)
{
    char utf8[OpenAfterSlotSize];
    int length = 0;
    for (unsigned i = OpenAfterTagSize; i < OpenAfterSlotSize && gOpenAfter[i]; ++i)
        utf8[length++] = gOpenAfter[i];
    Widen(utf8, length, CP_UTF8, name, capacity);
}

// The whole of the running program's file, in memory freed at exit.
bool ReadOwnFile(Bytes &bytes)
{
    static wchar_t path[32768];
    if (!GetModuleFileNameW(nullptr, path, 32768))
        return false;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    DWORD read = 0;
    unsigned char *data = nullptr;
    const bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000
        && (data = static_cast<unsigned char *>(HeapAlloc(GetProcessHeap(), 0, SIZE_T(size.QuadPart) + 1)))
        && ReadFile(file, data, DWORD(size.QuadPart), &read, nullptr) && read == size.QuadPart;
    CloseHandle(file);
    bytes = {data, std::uint64_t(size.QuadPart)};
    return ok;
}

bool IsLinkOrFolder(std::uint16_t madeBy, std::uint32_t attributes)
{
    const unsigned host = madeBy >> 8;
    const std::uint32_t unixType = (attributes >> 16) & 0170000;
    if ((host == 3 || host == 19) && unixType != 0 && unixType != 0100000)
        return true;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0;
}

bool BrokenDirectory(Failure &failure)
{
    Fail(failure, Damaged).reason << L"its table of contents is broken";
    return false;
}

// Reads the directory record at `at` and its local header; the entry's data
// must end before dataEnd, where the directory starts.
bool ReadEntry(const Bytes &file, std::uint64_t &at, std::uint64_t dataEnd, Entry &entry, Failure &failure)
{
    EntryRecord record;
    if (!ReadCentralRecord(file, at, record))
        return BrokenDirectory(failure);
    entry.method = record.method;
    entry.crc = record.crc;
    entry.packedSize = record.packedSize;
    entry.size = record.size;
    entry.local = record.local;
    const char *rawName = record.rawName;
    const std::uint16_t nameLength = record.nameLength;

    const bool named = Widen(rawName, nameLength, (record.flags & FlagUtf8Name) ? CP_UTF8 : 437, entry.name, MaxNameLength + 1);
    const bool plain = named && !memchr(rawName, 0, nameLength) && IsSafeName(entry.name) && !IsLinkOrFolder(record.madeBy, record.attributes);
    if (!plain) {
        wchar_t shown[MaxNameLength + 1];
        Widen(rawName, nameLength < MaxNameLength ? nameLength : MaxNameLength, 437, shown, MaxNameLength + 1);
        Fail(failure, Damaged).reason << L"it holds an entry that is not a plain file of its own folder: " << Quoted(shown);
        return false;
    }
    if ((record.flags & (FlagEncrypted | FlagStrongEncryption)) || (entry.method != MethodStored && entry.method != MethodDeflated)) {
        Fail(failure, Damaged).reason << Quoted(entry.name) << L" is encrypted or packed in an unknown way";
        return false;
    }
    if (!ReadLocalHeader(file, record, entry.dataOffset)) {
        Fail(failure, Damaged).reason << L"the header of " << Quoted(entry.name) << L" is broken";
        return false;
    }
    if (entry.dataOffset + entry.packedSize > dataEnd || (entry.method == MethodStored && entry.packedSize != entry.size)) {
        Fail(failure, Damaged).reason << L"the data of " << Quoted(entry.name) << L" is cut short";
        return false;
    }
    return true;
}

// An entry must not share bytes with an earlier one, nor two names one file.
bool ClashesWithEarlier(const Entry *entries, unsigned i, Failure &failure)
{
    const Entry &entry = entries[i];
    for (unsigned j = 0; j < i; ++j) {
        if (CompareStringOrdinal(entries[j].name, -1, entry.name, -1, TRUE) == CSTR_EQUAL) {
            Fail(failure, Damaged).reason << L"it holds " << Quoted(entry.name) << L" twice";
            return true;
        }
        if (Overlap(entries[j].local, entries[j].dataOffset + entries[j].packedSize, entry.local, entry.dataOffset + entry.packedSize)) {
            Fail(failure, Damaged).reason << Quoted(entries[j].name) << L" and " << Quoted(entry.name) << L" share their data";
            return true;
        }
    }
    return false;
}

bool ReadDirectory(const Bytes &file, Entry *&entries, unsigned &count, Failure &failure)
{
    std::uint64_t end = 0;
    if (!FindEndRecord(file, end)) {
        Fail(failure, Damaged).reason << L"the end of its archive is missing or followed by other data";
        return false;
    }
    count = file.u16(end + 10);
    const std::uint64_t directorySize = file.u32(end + 12);
    std::uint64_t at = file.u32(end + 16);
    if (file.u16(end + 4) != 0 || file.u16(end + 6) != 0 || file.u16(end + 8) != count || count == 0 || count > MaxEntries
        || at + directorySize != end)
        return BrokenDirectory(failure);
    entries = static_cast<Entry *>(HeapAlloc(GetProcessHeap(), 0, count * sizeof(Entry)));
    if (!entries) {
        Fail(failure, WriteFailed).reason << L"there is not enough memory";
        return false;
    }
    const std::uint64_t dataEnd = at;
    std::uint64_t unpacked = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (!ReadEntry(file, at, dataEnd, entries[i], failure) || ClashesWithEarlier(entries, i, failure))
            return false;
        unpacked += entries[i].size;
        if (unpacked > MaxUnpackedTotal) {
            Fail(failure, Damaged).reason << L"its files would take more than " << unsigned(MaxUnpackedTotal >> 20) << L" MB";
            return false;
        }
    }
    return at == end || BrokenDirectory(failure);
}

// Unpacks one entry, checking its size and checksum; `sink` receives the
// data piece by piece and may refuse it.
template<typename Sink>
bool Unpack(const Bytes &file, const Entry &entry, Sink sink)
{
    const unsigned char *packed = file.data + entry.dataOffset;
    if (entry.method == MethodStored)
        return crc32(0, packed, entry.size) == entry.crc && sink(packed, entry.size);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = const_cast<unsigned char *>(packed);
    stream.avail_in = entry.packedSize;
    std::uint32_t crc = crc32(0, nullptr, 0);
    std::uint64_t total = 0;
    int status = Z_OK;
    bool ok = true;
    while (ok && status == Z_OK) {
        stream.next_out = gInflateBuffer;
        stream.avail_out = sizeof gInflateBuffer;
        status = inflate(&stream, Z_NO_FLUSH);
        const unsigned produced = sizeof gInflateBuffer - stream.avail_out;
        total += produced;
        ok = (status == Z_OK || status == Z_STREAM_END) && total <= entry.size && (produced > 0 || status == Z_STREAM_END);
        if (ok) {
            crc = crc32(crc, gInflateBuffer, produced);
            ok = sink(gInflateBuffer, produced);
        }
    }
    const bool whole = status == Z_STREAM_END && stream.avail_in == 0 && total == entry.size;
    inflateEnd(&stream);
    return ok && whole && crc == entry.crc;
}

bool CheckAll(const Bytes &file, const Entry *entries, unsigned count, Failure &failure)
{
    for (unsigned i = 0; i < count; ++i)
        if (!Unpack(file, entries[i], [](const unsigned char *, unsigned) { return true; })) {
            Fail(failure, Damaged).reason << L"the content of " << Quoted(entries[i].name) << L" does not match its checksum";
            return false;
        }
    return true;
}

// Never replaces a file that is already there; removes its file on failure.
bool WriteEntry(const Bytes &file, const Entry &entry, const wchar_t *path)
{
    HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    const bool written = Unpack(file, entry, [out](const unsigned char *data, unsigned size) {
        DWORD done = 0;
        return size == 0 || (WriteFile(out, data, size, &done, nullptr) && done == size);
    });
    const bool ok = CloseHandle(out) && written;
    if (!ok)
        DeleteFileW(path);
    return ok;
}

Text PathIn(const Text &folder, const wchar_t *name)
{
    Text path;
    path << folder << L"\\" << name;
    return path;
}

// The checksum of a file, when it can be read and has the given size.
bool FileMatches(const wchar_t *path, const Entry &entry)
{
    HANDLE in = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    std::uint32_t crc = crc32(0, nullptr, 0);
    bool ok = GetFileSizeEx(in, &size) && size.QuadPart == entry.size;
    DWORD read = 0;
    while (ok && ReadFile(in, gInflateBuffer, sizeof gInflateBuffer, &read, nullptr) && read > 0)
        crc = crc32(crc, gInflateBuffer, read);
    CloseHandle(in);
    return ok && crc == entry.crc;
}

// Marks the entries whose file the folder holds already; false when the
// folder holds a different file under an entry's name.
bool CheckFolder(Entry *entries, unsigned count, const Text &folder, Failure &failure)
{
    for (unsigned i = 0; i < count; ++i) {
        const Text path = PathIn(folder, entries[i].name);
        entries[i].present = GetFileAttributesW(path.chars) != INVALID_FILE_ATTRIBUTES;
        if (entries[i].present && !FileMatches(path.chars, entries[i])) {
            Fail(failure, WriteFailed).reason << Quoted(path.chars) << L" is there already";
            return false;
        }
    }
    return true;
}

// Writes every entry the folder lacks; on failure removes what it wrote.
bool WriteAll(const Bytes &file, const Entry *entries, unsigned count, const Text &folder, Failure &failure)
{
    for (unsigned i = 0; i < count; ++i) {
        const Text path = PathIn(folder, entries[i].name);
        if (entries[i].present || WriteEntry(file, entries[i], path.chars))
            continue;
        for (unsigned j = 0; j < i; ++j)
            if (!entries[j].present)
                DeleteFileW(PathIn(folder, entries[j].name).chars);
        Fail(failure, WriteFailed).reason << L"could not write " << Quoted(path.chars);
        return false;
    }
    return true;
}

bool FullPath(const wchar_t *path, Text &full)
{
    const DWORD length = GetFullPathNameW(path, Text::Capacity, full.chars, nullptr);
    if (length == 0 || length >= Text::Capacity)
        return false;
    full.length = int(length);
    while (full.length > 3 && (full.chars[full.length - 1] == L'\\' || full.chars[full.length - 1] == L'/'))
        full.chars[--full.length] = 0;
    return true;
}

// The folders one run has made, as lengths of the folder's path.
struct MadeFolders
{
    static constexpr int Capacity = 256;
    int lengths[Capacity];
    int count = 0;
};

// Makes the folder with every parent it lacks (on a drive; a network
// folder's parents must be there). Existing folders are fine.
bool MakeFolders(const Text &folder, MadeFolders &made)
{
    const bool network = folder.length > 2 && folder.chars[0] == L'\\' && folder.chars[1] == L'\\';
    for (int end = network ? folder.length : 3; end <= folder.length; ++end) {
        if (end < folder.length && folder.chars[end] != L'\\' && folder.chars[end] != L'/')
            continue;
        Text prefix;
        for (int i = 0; i < end; ++i)
            prefix.chars[i] = folder.chars[i];
        prefix.chars[end] = 0;
        prefix.length = end;
        if (CreateDirectoryW(prefix.chars, nullptr)) {
            if (made.count < MadeFolders::Capacity)
                made.lengths[made.count++] = end;
        } else if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_ACCESS_DENIED) {
            return false;
        }
    }
    const DWORD attributes = GetFileAttributesW(folder.chars);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveMadeFolders(const Text &folder, const MadeFolders &made)
{
    for (int k = made.count; k-- > 0;) {
        Text prefix = folder;
        prefix.chars[made.lengths[k]] = 0;
        RemoveDirectoryW(prefix.chars);
    }
}

// Unpacks into folder, made with its parents when missing; files it holds
// already are kept when they are the package's own and refused otherwise.
// On failure what this run made is removed again.
bool UnpackInto(const Bytes &file, Entry *entries, unsigned count, const Text &folder, Failure &failure)
{
    MadeFolders made;
    if (!MakeFolders(folder, made)) {
        RemoveMadeFolders(folder, made);
        Fail(failure, WriteFailed).reason << L"could not make the folder " << Quoted(folder.chars);
        return false;
    }
    if (CheckFolder(entries, count, folder, failure) && WriteAll(file, entries, count, folder, failure))
        return true;
    RemoveMadeFolders(folder, made);
    return false;
}

// One folder under %TEMP% per package content, named from the package's
// checksum, so that opening the same package again reuses its files. A
// folder that holds other files under the package's names is passed over.
bool UnpackIntoTemp(const Bytes &file, Entry *entries, unsigned count, Text &folder, Failure &failure)
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        Fail(failure, WriteFailed).reason << L"could not find the folder for temporary files";
        return false;
    }
    const unsigned checksum = unsigned(crc32(0, file.data, unsigned(file.size)));
    for (unsigned attempt = 1; attempt <= 20; ++attempt) {
        wchar_t name[48];
        if (attempt == 1)
            wsprintfW(name, L"Vexilo Cube %08x", checksum);
        else
            wsprintfW(name, L"Vexilo Cube %08x (%u)", checksum, attempt);
        folder.length = 0;
        folder << temp << name;
        if (UnpackInto(file, entries, count, folder, failure))
            return true;
    }
    return false;
}

// Unpacks the package into the folder given, or into its own folder under
// %TEMP% when none is given.
bool Extract(const wchar_t *given, Text &folder, unsigned &count, Failure &failure)
{
    Bytes file{};
    if (!ReadOwnFile(file)) {
        Fail(failure, Damaged).reason << L"it could not read its own file";
        return false;
    }
    Entry *entries = nullptr;
    if (!ReadDirectory(file, entries, count, failure) || !CheckAll(file, entries, count, failure))
        return false;
    if (!given)
        return UnpackIntoTemp(file, entries, count, folder, failure);
    if (!FullPath(given, folder)) {
        Fail(failure, WriteFailed).reason << L"could not make the folder " << Quoted(given);
        return false;
    }
    return UnpackInto(file, entries, count, folder, failure);
}

void PrintLine(const Text &line)
{
    char text[4 * Text::Capacity + 16] = "Cube.exe: ";
    const int prefix = lstrlenA(text);
    const int length = WideCharToMultiByte(CP_UTF8, 0, line.chars, line.length, text + prefix, sizeof text - prefix - 2, nullptr, nullptr);
    text[prefix + length] = '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, DWORD(prefix + length + 1), &written, nullptr);
}

void ShowError(const Text &text)
{
    MessageBoxW(nullptr, text.chars, L"Vexilo Cube", MB_OK | MB_ICONERROR);
}

Text Explain(const Failure &failure)
{
    Text text;
    if (failure.code == Damaged)
        text << L"This package is damaged and cannot be unpacked: " << failure.reason << L".";
    else
        text << L"The package could not be unpacked: " << failure.reason << L".";
    return text;
}

int ExtractOnly(const wchar_t *given)
{
    Text folder;
    unsigned count = 0;
    Failure failure;
    if (!Extract(given, folder, count, failure)) {
        PrintLine(Explain(failure));
        return failure.code;
    }
    Text done;
    done << L"unpacked " << count << L" files into " << Quoted(folder.chars);
    PrintLine(done);
    return Unpacked;
}

int UnpackAndOpen()
{
    Text folder;
    unsigned count = 0;
    Failure failure;
    if (!Extract(nullptr, folder, count, failure)) {
        ShowError(Explain(failure));
        return failure.code;
    }
    wchar_t page[MaxNameLength + 1];
    OpenAfterName(page, MaxNameLength + 1);
    const Text target = page[0] ? PathIn(folder, page) : folder;
    if (reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", target.chars, nullptr, folder.chars, SW_SHOWNORMAL)) <= 32) {
        Text text;
        text << L"The files were unpacked into " << Quoted(folder.chars) << L", but " << Quoted(page) << L" could not be opened.";
        ShowError(text);
    }
    return Unpacked;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && (lstrcmpiW(argv[1], L"/x") == 0 || lstrcmpiW(argv[1], L"-x") == 0))
        return ExtractOnly(argv[2]);
    if (argv && argc == 1)
        return UnpackAndOpen();
    Text usage;
    usage << L"usage: Cube.exe [/x FOLDER]";
    PrintLine(usage);
    usage << L"\n\nWithout a folder the files are unpacked into a new folder and the page is opened.";
    ShowError(usage);
    return UsageError;
}
