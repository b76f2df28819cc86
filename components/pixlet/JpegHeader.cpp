#include "components/pixlet/JpegHeader.h"

namespace {

int byteAt(const QByteArray &data, qsizetype at)
{
    return static_cast<unsigned char>(data.at(at));
}

int wordAt(const QByteArray &data, qsizetype at)
{
    return byteAt(data, at) << 8 | byteAt(data, at + 1);
}

bool isFrameMarker(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

// Frame header: precision, height, width, then id, sampling and table per
// component.
bool readFrame(const QByteArray &data, qsizetype at, int length, JpegHeader &header)
{
    if (length < 6)
        return false;
    header.height = wordAt(data, at + 1);
    header.width = wordAt(data, at + 3);
    const int components = byteAt(data, at + 5);
    if (components < 1 || length < 6 + 3 * components)
        return false;
    int hMax = 1, vMax = 1;
    for (int c = 0; c < components; ++c) {
        const int sampling = byteAt(data, at + 7 + 3 * c);
        hMax = qMax(hMax, sampling >> 4);
        vMax = qMax(vMax, sampling & 15);
    }
    header.blocks = 0;
    for (int c = 0; c < components; ++c) {
        const int sampling = byteAt(data, at + 7 + 3 * c);
        const int h = qMax(1, sampling >> 4), v = qMax(1, sampling & 15);
        header.blocks +=
            ceilDiv(ceilDiv(qint64(header.width) * h, hMax), 8) * ceilDiv(ceilDiv(qint64(header.height) * v, vMax), 8);
    }
    return true;
}

} // namespace

JpegHeader JpegHeader::Read(const QByteArray &head, qint64 fileSize, const QByteArray &tail)
{
    JpegHeader header;
    if (head.size() < 4 || byteAt(head, 0) != 0xFF || byteAt(head, 1) != 0xD8)
        return header;
    qsizetype at = 2;
    while (at + 4 <= head.size()) {
        // Stray bytes between segments are skipped, as the decoder does.
        if (byteAt(head, at) != 0xFF) {
            ++at;
            continue;
        }
        const int marker = byteAt(head, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        // FF 00 is a stuffed zero, not a marker: the decoder skips both bytes
        // as stray data and looks for the next FF, so must we.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) { // no length field
            at += 2;
            continue;
        }
        if (marker == 0xD9) // the end of the picture before any scan
            return header;
        const int length = wordAt(head, at + 2);
        const qsizetype segment = at + 4;
        if (length < 2 || segment + length - 2 > head.size())
            return header;
        if (isFrameMarker(marker)) {
            if (!readFrame(head, segment, length - 2, header))
                return JpegHeader();
            header.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            header.arithmetic = marker >= 0xC9;
        }
        if (marker == 0xDA) {
            const qsizetype scan = segment + length - 2;
            header.scanData = fileSize - scan;
            // Searched from the end, where a whole file has it.
            const qsizetype end = tail.lastIndexOf(QByteArrayView("\xFF\xD9", 2));
            header.complete = end >= 0 && fileSize - tail.size() + end >= scan;
            return header;
        }
        at = segment + length - 2;
    }
    return header;
}
