#include "pressola/PropertyBlock.h"

#include <QDataStream>
#include <QIODevice>

namespace {

// The class id of the standard font object, {0BE35203-8F91-11CE-9DE3-00AA004BB851},
// in its stored byte order.
const QByteArray &StdFontClassId()
{
    static const QByteArray id = QByteArray::fromHex("0352E30B918FCE119DE300AA004BB851");
    return id;
}

// Counted strings: a length byte, or 0xFF and a 16-bit length, or 0xFF,
// 0xFFFF and a 32-bit length for the longest.
void WriteString(QDataStream &out, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const quint32 n = quint32(bytes.size());
    if (n < 0xFF) {
        out << quint8(n);
    } else if (n < 0xFFFE) {
        out << quint8(0xFF) << quint16(n);
    } else {
        out << quint8(0xFF) << quint16(0xFFFF) << n;
    }
    out.writeRawData(bytes.constData(), int(n));
}

bool ReadRaw(QDataStream &in, QByteArray &bytes, quint32 n)
{
    if (n > quint32(in.device()->bytesAvailable()))
        return false;
    bytes.resize(qsizetype(n));
    return in.readRawData(bytes.data(), int(n)) == int(n);
}

bool ReadString(QDataStream &in, QString &text)
{
    quint8 shortLength = 0;
    in >> shortLength;
    quint32 n = shortLength;
    if (shortLength == 0xFF) {
        quint16 mid = 0;
        in >> mid;
        n = mid;
        if (mid == 0xFFFF)
            in >> n;
    }
    QByteArray bytes;
    if (in.status() != QDataStream::Ok || !ReadRaw(in, bytes, n))
        return false;
    text = QString::fromUtf8(bytes);
    return true;
}

// The longest UTF-8 prefix of text within limit bytes, cut between characters.
QByteArray Utf8Within(const QString &text, qsizetype limit)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() <= limit)
        return bytes;
    qsizetype end = limit;
    while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

void WriteFont(QDataStream &out, const StdFontState &font)
{
    out << quint8(0);
    out.writeRawData(StdFontClassId().constData(), int(StdFontClassId().size()));
    out << font.version << font.charset << font.attributes << font.weight << font.size;
    const QByteArray face = Utf8Within(font.faceName, 0xFF);
    out << quint8(face.size());
    out.writeRawData(face.constData(), int(face.size()));
}

bool ReadFont(QDataStream &in, StdFontState &font)
{
    quint8 marker = 0xFF;
    in >> marker;
    QByteArray classId;
    if (in.status() != QDataStream::Ok || marker != 0 || !ReadRaw(in, classId, 16) || classId != StdFontClassId())
        return false;
    quint8 faceLength = 0;
    in >> font.version >> font.charset >> font.attributes >> font.weight >> font.size >> faceLength;
    QByteArray face;
    if (in.status() != QDataStream::Ok || !ReadRaw(in, face, faceLength))
        return false;
    font.faceName = QString::fromUtf8(face);
    return true;
}

} // namespace

std::optional<PropertyBlock> PropertyBlock::Read(const QByteArray &bytes, const PropertyBlock &defaults)
{
    PropertyBlock b = defaults;
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    quint32 mask = 0;
    in >> b.version >> b.extentX >> b.extentY >> mask;
    if (in.status() != QDataStream::Ok || (mask & ~StockMask) != 0)
        return std::nullopt;
    if ((mask & StockCaption) && !ReadString(in, b.caption))
        return std::nullopt;
    if (mask & StockForeColor)
        in >> b.foreColor;
    if (mask & StockBackColor)
        in >> b.backColor;
    if ((mask & StockFont) && !ReadFont(in, b.font))
        return std::nullopt;
    if (mask & StockEnabled) {
        quint8 enabled = 0;
        in >> enabled;
        b.enabled = enabled != 0;
    }
    if (mask & StockAppearance)
        in >> b.appearance;
    quint8 autoFocus = 0;
    in >> b.xPos >> b.yPos >> autoFocus;
    b.autoFocus = autoFocus != 0;
    if (in.status() != QDataStream::Ok || !ReadString(in, b.filename) || !ReadString(in, b.resourceName))
        return std::nullopt;
    return b;
}

QByteArray PropertyBlock::Write() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << Version << extentX << extentY << StockMask;
    WriteString(out, caption);
    out << foreColor << backColor;
    WriteFont(out, font);
    out << quint8(enabled ? 1 : 0) << appearance << xPos << yPos << quint8(autoFocus ? 1 : 0);
    WriteString(out, filename);
    WriteString(out, resourceName);
    return bytes;
}
