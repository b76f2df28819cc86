#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include <zlib.h>

namespace Pakwell {

// Raw deflate, its state (the same for every level) kept from one use to the next.
class Deflater
{
public:
    Deflater();
    ~Deflater();
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    // Deflates data into packed (resized to fit); false when that fails.
    bool deflate(std::string_view data, int level, std::string &packed);

private:
    z_stream m_stream{};
    bool m_ready;
};

// Writes a ZIP archive to a file, after a head of other bytes (the stub),
// with every offset counted from the start of the whole file. Entries are
// stored, or deflated when that makes them smaller. Every call is false once
// a write has failed or the archive would outgrow the format.
class ZipArchive
{
public:
    // fd: a new, empty file.
    explicit ZipArchive(int fd);

    bool writeHead(std::string_view head);
    // name is UTF-8.
    bool add(std::string_view name, std::string_view content, std::time_t modified);
    // Closes the archive with a comment, which must not hold the end-record
    // signature.
    bool finish(std::string_view comment);

private:
    bool put(std::string_view bytes);
    std::string_view pack(std::string_view content);

    int m_fd;
    bool m_ok = true;
    std::uint64_t m_offset = 0;
    std::string m_directory;
    unsigned m_entries = 0;
    Deflater m_deflater;
    std::string m_packed; // buffers kept from entry to entry
    std::string m_thoroughlyPacked;
};

} // namespace Pakwell
