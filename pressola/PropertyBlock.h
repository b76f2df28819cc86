#pragma once

#include "pressola/PressolaExport.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The saved state of the standard font object.
struct StdFontState
{
    quint8 version = 1;
    qint16 charset = 0;
    quint8 attributes = 0; // 0x02 italic, 0x04 underline, 0x08 strikethrough
    qint16 weight = 400;
    qint32 size = 90000; // ten-thousandths of a point
    QString faceName;
};

// A Pressola control's persisted properties, in the binary layout its
// containers store: version, extent, the stock properties behind their mask,
// then XPos, YPos, AutoFocus, Filename and ResourceName. All numbers are
// little-endian; texts are counted 8-bit strings.
struct PropertyBlock
{
    static constexpr quint32 Version = 0x00010000;
    static constexpr quint32 StockBackColor = 0x01;
    static constexpr quint32 StockCaption = 0x02;
    static constexpr quint32 StockFont = 0x04;
    static constexpr quint32 StockForeColor = 0x08;
    static constexpr quint32 StockEnabled = 0x40;
    static constexpr quint32 StockAppearance = 0x80;
    static constexpr quint32 StockMask = 0xCF;

    quint32 version = Version;
    qint32 extentX = 0;
    qint32 extentY = 0;
    QString caption;
    quint32 foreColor = 0;
    quint32 backColor = 0xFFFFFF;
    StdFontState font;
    bool enabled = true;
    qint16 appearance = 0;
    qint16 xPos = -1;
    qint16 yPos = -1;
    bool autoFocus = true;
    QString filename;
    QString resourceName;

    // Reads a block over the given defaults (stock properties missing from
    // the block's mask keep them). A block that ends early, names another
    // font class or has unknown stock bits is refused.
    PRESSOLA_EXPORT static std::optional<PropertyBlock> Read(const QByteArray &bytes, const PropertyBlock &defaults);
    // Writes the block; the version written is always 1.0.
    PRESSOLA_EXPORT QByteArray Write() const;
};
