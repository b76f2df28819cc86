#pragma once

#include <QByteArray>
#include <QtGlobal>

// What a JPEG file's markers declare, read before any pixel is decoded, so
// that files which cannot hold the picture they announce, or would make the
// decoder allocate too much, are refused up front.
struct JpegHeader
{
    int width = 0;
    int height = 0;
    bool progressive = false;
    bool arithmetic = false;
    qint64 blocks = 0; // 8 x 8 blocks of all components together
    qsizetype scanData = 0; // bytes from the first scan to the end of the file
    bool complete = false; // an end-of-image marker follows the first scan

    static JpegHeader Read(const QByteArray &file) { return Read(file, file.size(), file); }
    // From the file's first bytes, which must reach past the start of the
    // first scan, its size and its last bytes, where the end-of-image
    // marker of a whole file is.
    static JpegHeader Read(const QByteArray &head, qint64 fileSize, const QByteArray &tail);

    bool valid() const { return width > 0 && height > 0 && blocks > 0 && scanData > 0; }

    // A progressive file is decoded through a buffer holding every
    // coefficient of the picture (64 two-byte values per block).
    qint64 coefficientBytes() const { return progressive ? blocks * 128 : 0; }

    // Huffman coding spends at least one bit on each block, so shorter scan
    // data is a damaged file or a header that lies about its size.
    bool plausible() const { return arithmetic || scanData * 8 >= blocks; }
};
