#include "components/pakwell/ZipArchive.h"

#include "components/pakwell/PakwellFormat.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace Pakwell {
namespace {

constexpr std::uint16_t MadeByUnix = 3 << 8 | 20;
constexpr std::uint32_t RegularFileAttributes = 0100644u << 16;
// Deflating pays only where a sample of the start shrinks by a few percent;
// pictures (JPEG) do not, and are stored.
constexpr std::size_t SampleSize = 16 * 1024;
constexpr double WorthwhileRatio = 0.97;

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

bool Deflate(std::string_view data, int level, std::string &packed)
{
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    packed.resize(deflateBound(&stream, uLong(data.size())));
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(packed.data());
    stream.avail_out = uInt(packed.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return done;
}

bool WorthDeflating(std::string_view content)
{
    const std::string_view sample = content.substr(0, SampleSize);
    std::string packed;
    return Deflate(sample, 1, packed) && packed.size() < sample.size() * WorthwhileRatio;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

ZipArchive::ZipArchive(std::string head)
    : m_file(std::move(head))
{
}

bool ZipArchive::add(std::string_view name, std::string_view content, std::time_t modified)
{
    constexpr std::uint64_t limit = std::numeric_limits<std::uint32_t>::max();
    if (m_entries == MaxEntries || content.size() >= limit || m_file.size() >= limit || name.size() > 0xffff)
        return false;
    std::string packed;
    const bool deflated = WorthDeflating(content) && Deflate(content, Z_DEFAULT_COMPRESSION, packed) && packed.size() < content.size();
    const std::string_view data = deflated ? std::string_view(packed) : content;
    const std::uint16_t method = deflated ? MethodDeflated : MethodStored;
    const std::uint16_t flags = IsAscii(name) ? 0 : FlagUtf8Name;
    const std::uint32_t crc = std::uint32_t(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(content.data()), uInt(content.size())));
    const DosTime when = ToDosTime(modified);
    const std::uint32_t offset = std::uint32_t(m_file.size());

    // The fields from "version needed" to "extra length" are the same in the
    // local header and the directory record.
    std::string common;
    Put16(common, deflated ? 20 : 10);
    Put16(common, flags);
    Put16(common, method);
    Put16(common, when.time);
    Put16(common, when.date);
    Put32(common, crc);
    Put32(common, std::uint32_t(data.size()));
    Put32(common, std::uint32_t(content.size()));
    Put16(common, std::uint16_t(name.size()));
    Put16(common, 0);

    Put32(m_file, LocalHeaderSignature);
    m_file += common;
    m_file += name;
    m_file += data;

    Put32(m_directory, CentralHeaderSignature);
    Put16(m_directory, MadeByUnix);
    m_directory += common;
    Put16(m_directory, 0); // comment length
    Put16(m_directory, 0); // disk
    Put16(m_directory, 0); // internal attributes
    Put32(m_directory, RegularFileAttributes);
    Put32(m_directory, offset);
    m_directory += name;
    ++m_entries;
    return true;
}

bool ZipArchive::finish(std::string_view comment, std::string &file)
{
    const std::uint64_t directoryOffset = m_file.size();
    if (directoryOffset + m_directory.size() >= std::numeric_limits<std::uint32_t>::max() || comment.size() > MaxCommentSize)
        return false;
    m_file += m_directory;
    Put32(m_file, EndOfCentralDirSignature);
    Put16(m_file, 0);
    Put16(m_file, 0);
    Put16(m_file, std::uint16_t(m_entries));
    Put16(m_file, std::uint16_t(m_entries));
    Put32(m_file, std::uint32_t(m_directory.size()));
    Put32(m_file, std::uint32_t(directoryOffset));
    Put16(m_file, std::uint16_t(comment.size()));
    m_file += comment;
    file = std::move(m_file);
    return true;
}

} // namespace Pakwell
