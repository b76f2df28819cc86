#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace Pakwell {

// A ZIP archive built in memory after a head of other bytes (the stub), with
// every offset counted from the start of the whole file. Entries are stored,
// or deflated when that makes them smaller.
class ZipArchive
{
public:
    explicit ZipArchive(std::string head);

    // name is UTF-8; false when the archive would outgrow the format.
    bool add(std::string_view name, std::string_view content, std::time_t modified);
    // Closes the archive with a comment (which must not hold the end-record
    // signature) and hands over the whole file.
    bool finish(std::string_view comment, std::string &file);

private:
    std::string m_file;
    std::string m_directory;
    unsigned m_entries = 0;
};

} // namespace Pakwell
