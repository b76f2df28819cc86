// File URLs and the library's two-call length protocol: the first byte sets
// the buffer the caller offers, the rest is a path or a URL.
#include "components/tbrowser/FileUrl.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int32_t TbDOSPathToURL(const char *path, char *buffer, int32_t *length);
extern "C" int32_t TbURLToDOSPath(const char *url, char *buffer, int32_t *length);

namespace {

// Asks twice as a caller does: the length first, then into a buffer of the
// offered size, which must never be written past.
void TwoCalls(int32_t (*call)(const char *, char *, int32_t *), const QByteArray &input, int offered)
{
    int32_t needed = 0;
    call(input.constData(), nullptr, &needed);
    std::vector<char> buffer(size_t(offered) + 16, '\x5a');
    int32_t length = offered;
    call(input.constData(), buffer.data(), &length);
    for (size_t i = size_t(offered); i < buffer.size(); ++i)
        FUZZ_CHECK(buffer[i] == '\x5a');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int offered = data[0];
    const QByteArray input = QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QByteArray text(input.constData()); // as a C string: up to the first NUL

    if (const auto path = FileUrl::toPath(input))
        FUZZ_CHECK(FileUrl::toPath(FileUrl::fromPath(*path)) == path);
    FUZZ_CHECK(FileUrl::toPath(FileUrl::fromPath(text)) == text);
    FileUrl::fileName(input);

    TwoCalls(TbDOSPathToURL, text, offered);
    TwoCalls(TbURLToDOSPath, text, offered);
    return 0;
}
