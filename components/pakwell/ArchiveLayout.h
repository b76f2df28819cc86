#pragma once

// How the Windows stub reads the ZIP archive after itself: the end record, the
// directory records and the local headers, checked against the file's size,
// and the rule that no two entries share bytes. Plain C++ without library
// containers, so that the stub and native tools compile the same code.

#include "components/pakwell/PakwellFormat.h"

#include <cstdint>
#include <cstring>

namespace Pakwell {

struct Bytes
{
    const unsigned char *data;
    std::uint64_t size;

    bool has(std::uint64_t at, std::uint64_t count) const { return at <= size && count <= size - at; }
    std::uint16_t u16(std::uint64_t at) const { return std::uint16_t(data[at] | data[at + 1] << 8); }
    std::uint32_t u32(std::uint64_t at) const { return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16; }
};

// The fields of one directory record the stub uses.
struct EntryRecord
{
    std::uint16_t madeBy;
    std::uint16_t flags;
    std::uint16_t method;
    std::uint32_t crc;
    std::uint32_t packedSize;
    std::uint32_t size;
    std::uint16_t nameLength;
    std::uint32_t attributes;
    std::uint64_t local;       // where its local header starts
    const char *rawName;
};

// The end record must close the file exactly, and its comment must not hold
// a second end-record signature: such a package could be read two ways.
inline bool FindEndRecord(const Bytes &file, std::uint64_t &at)
{
    if (file.size < EndOfCentralDirSize)
        return false;
    const std::uint64_t last = file.size - EndOfCentralDirSize;
    const std::uint64_t first = last > MaxCommentSize ? last - MaxCommentSize : 0;
    for (std::uint64_t p = last + 1; p-- > first;) {
        if (file.u32(p) == EndOfCentralDirSignature && p + EndOfCentralDirSize + file.u16(p + 20) == file.size) {
            for (std::uint64_t q = p + EndOfCentralDirSize; q + 4 <= file.size; ++q)
                if (file.u32(q) == EndOfCentralDirSignature)
                    return false;
            at = p;
            return true;
        }
    }
    return false;
}

// Reads the directory record at `at` and moves `at` past it; false when no
// whole directory record is there.
inline bool ReadCentralRecord(const Bytes &file, std::uint64_t &at, EntryRecord &record)
{
    if (!file.has(at, CentralHeaderSize) || file.u32(at) != CentralHeaderSignature)
        return false;
    record.madeBy = file.u16(at + 4);
    record.flags = file.u16(at + 8);
    record.method = file.u16(at + 10);
    record.crc = file.u32(at + 16);
    record.packedSize = file.u32(at + 20);
    record.size = file.u32(at + 24);
    record.nameLength = file.u16(at + 28);
    const std::uint64_t recordSize = CentralHeaderSize + std::uint64_t(record.nameLength) + file.u16(at + 30) + file.u16(at + 32);
    record.attributes = file.u32(at + 38);
    record.local = file.u32(at + 42);
    if (!file.has(at, recordSize))
        return false;
    record.rawName = reinterpret_cast<const char *>(file.data + at + CentralHeaderSize);
    at += recordSize;
    return true;
}

// The local header must repeat the method and the name; `dataOffset` gets
// where the entry's data starts.
inline bool ReadLocalHeader(const Bytes &file, const EntryRecord &record, std::uint64_t &dataOffset)
{
    const std::uint64_t local = record.local;
    if (!file.has(local, LocalHeaderSize) || file.u32(local) != LocalHeaderSignature || file.u16(local + 8) != record.method
        || file.u16(local + 26) != record.nameLength || !file.has(local + LocalHeaderSize, record.nameLength)
        || std::memcmp(file.data + local + LocalHeaderSize, record.rawName, record.nameLength) != 0)
        return false;
    dataOffset = local + LocalHeaderSize + record.nameLength + file.u16(local + 28);
    return true;
}

// Whether the bytes [aBegin, aEnd) and [bBegin, bEnd) of two entries, local
// header to end of data, share any byte: entries that do could unpack one
// small file many times over.
constexpr bool Overlap(std::uint64_t aBegin, std::uint64_t aEnd, std::uint64_t bBegin, std::uint64_t bEnd)
{
    return aBegin < bEnd && bBegin < aEnd;
}

} // namespace Pakwell
