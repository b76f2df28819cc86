#include "components/pakwell/ZipArchive.h"

#include "components/pakwell/PakwellFormat.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace Pakwell {
namespace {

constexpr std::uint16_t MadeByUnix = 3 << 8 | 20;
constexpr std::uint32_t RegularFileAttributes = 0100644u << 16;
// Pictures (JPEG) shrink by a fraction of a percent, as much with a fast pass
// as with a thorough one; what shrinks well in the fast pass is packed again
// thoroughly.
constexpr double WellShrinkingRatio = 0.9;

void Put16(std::string &out, std::uint16_t value)
{
    out += char(value & 0xff);
    out += char(value >> 8);
}

void Put32(std::string &out, std::uint32_t value)
{
    Put16(out, std::uint16_t(value & 0xffff));
    Put16(out, std::uint16_t(value >> 16));
}

struct DosTime
{
    std::uint16_t time = 0;
    std::uint16_t date = (1 << 5) | 1; // 1980-01-01, the earliest the format knows
};

DosTime ToDosTime(std::time_t when)
{
    std::tm local{};
    DosTime dos;
    if (!localtime_r(&when, &local) || local.tm_year < 80 || local.tm_year > 207)
        return dos;
    dos.time = std::uint16_t(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    dos.date = std::uint16_t((local.tm_year - 80) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    return dos;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

Deflater::Deflater()
    : m_ready(deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK)
{
}

Deflater::~Deflater()
{
    if (m_ready)
        deflateEnd(&m_stream);
}

bool Deflater::deflate(std::string_view data, int level, std::string &packed)
{
    if (!m_ready || deflateReset(&m_stream) != Z_OK || deflateParams(&m_stream, level, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    packed.resize(deflateBound(&m_stream, uLong(data.size())));
    m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    m_stream.avail_in = uInt(data.size());
    m_stream.next_out = reinterpret_cast<Bytef *>(packed.data());
    m_stream.avail_out = uInt(packed.size());
    const bool done = ::deflate(&m_stream, Z_FINISH) == Z_STREAM_END;
    packed.resize(m_stream.total_out);
    return done;
}

ZipArchive::ZipArchive(int fd)
    : m_fd(fd)
{
}

bool ZipArchive::put(std::string_view bytes)
{
    while (m_ok && !bytes.empty()) {
        const ssize_t wrote = write(m_fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR)
            continue;
        m_ok = wrote > 0;
        if (m_ok) {
            bytes.remove_prefix(std::size_t(wrote));
            m_offset += std::uint64_t(wrote);
        }
    }
    return m_ok;
}

bool ZipArchive::writeHead(std::string_view head)
{
    return put(head);
}

// The deflated content when that is smaller, else the content itself.
std::string_view ZipArchive::pack(std::string_view content)
{
    if (!m_deflater.deflate(content, 1, m_packed) || m_packed.size() >= content.size())
        return content;
    if (m_packed.size() < content.size() * WellShrinkingRatio
        && m_deflater.deflate(content, Z_DEFAULT_COMPRESSION, m_thoroughlyPacked)
        && m_thoroughlyPacked.size() < m_packed.size())
        return m_thoroughlyPacked;
    return m_packed;
}

bool ZipArchive::add(std::string_view name, std::string_view content, std::time_t modified)
{
    constexpr std::uint64_t limit = std::numeric_limits<std::uint32_t>::max();
    if (m_entries == MaxEntries || content.size() >= limit || name.size() > 0xffff)
        m_ok = false;
    if (!m_ok)
        return false;
    const std::string_view data = pack(content);
    const bool deflated = data.data() != content.data();
    const DosTime when = ToDosTime(modified);
    const std::uint64_t offset = m_offset;
    if (offset + LocalHeaderSize + name.size() + data.size() >= limit)
        return m_ok = false;

    // The fields from "version needed" to "extra length" are the same in the
    // local header and the directory record.
    std::string common;
    Put16(common, deflated ? 20 : 10);
    Put16(common, IsAscii(name) ? 0 : FlagUtf8Name);
    Put16(common, deflated ? MethodDeflated : MethodStored);
    Put16(common, when.time);
    Put16(common, when.date);
    Put32(common, std::uint32_t(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(content.data()),
                                      uInt(content.size()))));
    Put32(common, std::uint32_t(data.size()));
    Put32(common, std::uint32_t(content.size()));
    Put16(common, std::uint16_t(name.size()));
    Put16(common, 0);

    std::string header;
    Put32(header, LocalHeaderSignature);
    header += common;
    header += name;

    Put32(m_directory, CentralHeaderSignature);
    Put16(m_directory, MadeByUnix);
    m_directory += common;
    Put16(m_directory, 0); // comment length
    Put16(m_directory, 0); // disk
    Put16(m_directory, 0); // internal attributes
    Put32(m_directory, RegularFileAttributes);
    Put32(m_directory, std::uint32_t(offset));
    m_directory += name;
    ++m_entries;
    return put(header) && put(data);
}

bool ZipArchive::finish(std::string_view comment)
{
    const std::uint64_t directoryOffset = m_offset;
    if (directoryOffset + m_directory.size() >= std::numeric_limits<std::uint32_t>::max()
        || comment.size() > MaxCommentSize)
        return m_ok = false;
    std::string end;
    Put32(end, EndOfCentralDirSignature);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, std::uint16_t(m_entries));
    Put16(end, std::uint16_t(m_entries));
    Put32(end, std::uint32_t(m_directory.size()));
    Put32(end, std::uint32_t(directoryOffset));
    Put16(end, std::uint16_t(comment.size()));
    end += comment;
    return put(m_directory) && put(end);
}

} // namespace Pakwell
