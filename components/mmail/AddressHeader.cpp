#include "components/mmail/AddressHeader.h"

#include "components/mmail/MimeMessage.h"

namespace {

constexpr qsizetype kFoldColumn = 78;
constexpr qsizetype kMaxLineOctets = 998; // without the CR LF

QString unquoted(const QString &name)
{
    if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        return name.mid(1, name.size() - 2).replace(QLatin1String("\\\""), QLatin1String("\""));
    return name;
}

// An entry as typed, except that a display name that is not plain ASCII,
// or that would not fit in a line of room octets, becomes encoded words,
// which fold anywhere.
QByteArray encodedEntry(const QString &entry, qsizetype room)
{
    const qsizetype open = entry.indexOf(QLatin1Char('<'));
    if (open < 0 || (IsPlainAscii(entry) && entry.size() <= room))
        return entry.toUtf8();
    const QString name = unquoted(entry.left(open).trimmed());
    return MimeMessage::encodedWords(name) + " <" + EnvelopeAddress(entry).toUtf8() + '>';
}

qsizetype lastLineLength(const QByteArray &text)
{
    const qsizetype lineEnd = text.lastIndexOf("\r\n");
    return lineEnd < 0 ? text.size() : text.size() - lineEnd - 2;
}

qsizetype firstLineLength(const QByteArray &text)
{
    const qsizetype lineEnd = text.indexOf("\r\n");
    return lineEnd < 0 ? text.size() : lineEnd;
}

} // namespace

QString EnvelopeAddress(const QString &entry)
{
    const qsizetype open = entry.indexOf(QLatin1Char('<'));
    const qsizetype close = entry.indexOf(QLatin1Char('>'), open + 1);
    if (open >= 0 && close > open)
        return entry.mid(open + 1, close - open - 1).trimmed();
    return entry.trimmed();
}

QStringList EnvelopeAddresses(const QString &list)
{
    QStringList addresses;
    for (const QString &entry : list.split(QLatin1Char(',')))
        if (const QString address = EnvelopeAddress(entry); !address.isEmpty())
            addresses << address;
    return addresses;
}

bool IsPlainAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

QByteArray AddressHeaderLine(const QString &name, const QString &list)
{
    QByteArray line = name.toUtf8() + ':';
    // A blank entry carries nothing, and folded would make a line of blanks.
    QStringList entries = list.split(QLatin1Char(','));
    entries.removeIf([](const QString &entry) { return entry.trimmed().isEmpty(); });
    if (entries.isEmpty())
        return line + "\r\n";
    // Each entry may start the field's first line, after its name, a colon
    // and a blank, and is followed by a comma.
    const qsizetype room = kMaxLineOctets - line.size() - 2;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QByteArray entry = encodedEntry(entries.at(i), room);
        if (i == 0)
            entry.prepend(' ');
        if (i + 1 < entries.size())
            entry += ',';
        if (i > 0 && lastLineLength(line) + firstLineLength(entry) > kFoldColumn)
            line += entry.startsWith(' ') ? "\r\n" : "\r\n ";
        line += entry;
    }
    return line + "\r\n";
}
