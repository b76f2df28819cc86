#include "platform/registry/RegistryHive.h"

#include <QSet>
#include <QStringDecoder>

namespace {

bool samePath(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString folded(const QString &text)
{
    return text.toCaseFolded();
}

QString valueSlot(qsizetype keyIndex, const QString &name)
{
    return QString::number(keyIndex) + QLatin1Char(':') + folded(name);
}

// Reads a quoted string starting at text[pos] == '"'; returns the end index
// after the closing quote, or -1 when the quote is never closed.
int readQuoted(const QString &text, int pos, QString &out)
{
    out.clear();
    for (int i = pos + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\')) {
            if (++i >= text.size())
                return -1;
            const QChar e = text.at(i);
            out += e == QLatin1Char('n') ? QChar('\n') : e == QLatin1Char('r') ? QChar('\r') : e;
        } else if (c == QLatin1Char('"')) {
            return i + 1;
        } else {
            out += c;
        }
    }
    return -1;
}

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

bool parseData(const QString &data, RegistryValue &value)
{
    if (data.startsWith(QLatin1Char('"'))) {
        value.type = RegistryValue::String;
        return readQuoted(data, 0, value.text) == data.size();
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = data.mid(6);
        bool ok = false;
        value.type = RegistryValue::DWord;
        value.number = digits.toUInt(&ok, 16);
        return ok && digits.size() == 8;
    }
    if (data.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        value.type = RegistryValue::Binary;
        value.bytes.clear();
        const QString list = data.mid(4).trimmed();
        if (list.isEmpty())
            return true;
        for (const QString &byte : list.split(QLatin1Char(','))) {
            bool ok = false;
            const uint b = byte.trimmed().toUInt(&ok, 16);
            if (!ok || b > 0xff)
                return false;
            value.bytes.append(char(b));
        }
        return true;
    }
    return false;
}

} // namespace

bool RegistryHive::parse(const QByteArray &bytes)
{
    m_keys.clear();
    m_keyIndex.clear();
    m_valueIndex.clear();
    if (bytes.size() > MaxFileSize || bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return false;

    const QStringList lines = text.split(QLatin1Char('\n'));
    qsizetype current = -1;
    bool headerSeen = false;
    for (QString line : lines) {
        if (line.size() > MaxLineLength)
            return false;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (trimmed == QLatin1String("REGEDIT4")
                || trimmed == QLatin1String("Windows Registry Editor Version 5.00"))
                continue;
            return false;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']')) || trimmed.size() < 3)
                return false;
            const QString path = normalizedPath(trimmed.mid(1, trimmed.size() - 2));
            if (path.isEmpty())
                return false;
            createKey(path);
            current = m_keyIndex.value(folded(path));
            continue;
        }
        if (current < 0)
            return false;
        RegistryValue value;
        int afterName = 0;
        if (trimmed.startsWith(QLatin1Char('@'))) {
            afterName = 1;
        } else if (trimmed.startsWith(QLatin1Char('"'))) {
            afterName = readQuoted(trimmed, 0, value.name);
            if (afterName < 0)
                return false;
        } else {
            return false;
        }
        if (afterName >= trimmed.size() || trimmed.at(afterName) != QLatin1Char('='))
            return false;
        if (!parseData(trimmed.mid(afterName + 1), value))
            return false;
        setValueOf(current, value);
    }
    return headerSeen;
}

QByteArray RegistryHive::serialize() const
{
    QString out = QStringLiteral("REGEDIT4\n");
    for (const RegistryKey &key : m_keys) {
        out += QStringLiteral("\n[%1]\n").arg(key.path);
        for (const RegistryValue &v : key.values) {
            out += v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name);
            out += QLatin1Char('=');
            switch (v.type) {
            case RegistryValue::String:
                out += quoted(v.text);
                break;
            case RegistryValue::DWord:
                out += QStringLiteral("dword:%1").arg(v.number, 8, 16, QLatin1Char('0'));
                break;
            case RegistryValue::Binary: {
                QStringList hex;
                for (const char b : v.bytes)
                    hex << QStringLiteral("%1").arg(uchar(b), 2, 16, QLatin1Char('0'));
                out += QStringLiteral("hex:") + hex.join(QLatin1Char(','));
                break;
            }
            }
            out += QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

QString RegistryHive::normalizedPath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

bool RegistryHive::canCarryKey(const QString &path)
{
    for (const QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return path == path.trimmed();
}

bool RegistryHive::canCarryValue(const RegistryValue &value)
{
    return !value.name.contains(QChar(0)) && !value.text.contains(QChar(0));
}

const RegistryKey *RegistryHive::findKey(const QString &path) const
{
    const qsizetype index = m_keyIndex.value(folded(normalizedPath(path)), -1);
    return index < 0 ? nullptr : &m_keys.at(index);
}

RegistryKey *RegistryHive::findKeyMutable(const QString &path)
{
    const qsizetype index = m_keyIndex.value(folded(normalizedPath(path)), -1);
    return index < 0 ? nullptr : &m_keys[index];
}

std::optional<RegistryValue> RegistryHive::value(const QString &keyPath, const QString &name) const
{
    const qsizetype keyIndex = m_keyIndex.value(folded(normalizedPath(keyPath)), -1);
    if (keyIndex < 0)
        return std::nullopt;
    const qsizetype index = m_valueIndex.value(valueSlot(keyIndex, name), -1);
    if (index < 0)
        return std::nullopt;
    return m_keys.at(keyIndex).values.at(index);
}

QStringList RegistryHive::subKeys(const QString &path) const
{
    const QString prefix = normalizedPath(path) + QLatin1Char('\\');
    QStringList names;
    QSet<QString> seen;
    for (const RegistryKey &key : m_keys) {
        if (!key.path.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QString child = key.path.mid(prefix.size()).section(QLatin1Char('\\'), 0, 0);
        if (!seen.contains(folded(child))) {
            seen.insert(folded(child));
            names << child;
        }
    }
    return names;
}

RegistryKey &RegistryHive::insertKey(const QString &path)
{
    const QString slot = folded(path);
    const qsizetype index = m_keyIndex.value(slot, -1);
    if (index >= 0)
        return m_keys[index];
    m_keyIndex.insert(slot, m_keys.size());
    m_keys.append(RegistryKey{path, {}});
    return m_keys.last();
}

void RegistryHive::createKey(const QString &path)
{
    const QString whole = normalizedPath(path);
    if (whole.isEmpty())
        return;
    QString partial;
    for (const QString &part : whole.split(QLatin1Char('\\'))) {
        partial += (partial.isEmpty() ? QString() : QStringLiteral("\\")) + part;
        insertKey(partial);
    }
}

void RegistryHive::setValueOf(qsizetype keyIndex, const RegistryValue &value)
{
    QList<RegistryValue> &values = m_keys[keyIndex].values;
    const QString slot = valueSlot(keyIndex, value.name);
    const qsizetype index = m_valueIndex.value(slot, -1);
    if (index >= 0) {
        values[index] = value;
        return;
    }
    m_valueIndex.insert(slot, values.size());
    values.append(value);
}

void RegistryHive::setValue(const QString &keyPath, const RegistryValue &value)
{
    const QString path = normalizedPath(keyPath);
    if (path.isEmpty())
        return;
    createKey(path);
    setValueOf(m_keyIndex.value(folded(path)), value);
}

void RegistryHive::reindex()
{
    m_keyIndex.clear();
    m_valueIndex.clear();
    for (qsizetype k = 0; k < m_keys.size(); ++k) {
        m_keyIndex.insert(folded(m_keys.at(k).path), k);
        const QList<RegistryValue> &values = m_keys.at(k).values;
        for (qsizetype v = 0; v < values.size(); ++v)
            m_valueIndex.insert(valueSlot(k, values.at(v).name), v);
    }
}

bool RegistryHive::deleteValue(const QString &keyPath, const QString &name)
{
    RegistryKey *key = findKeyMutable(keyPath);
    if (!key)
        return false;
    if (key->values.removeIf([&](const RegistryValue &v) { return samePath(v.name, name); }) == 0)
        return false;
    reindex();
    return true;
}

bool RegistryHive::deleteKeyTree(const QString &path)
{
    const QString root = normalizedPath(path);
    const QString prefix = root + QLatin1Char('\\');
    const bool removed = m_keys.removeIf([&](const RegistryKey &k) {
        return samePath(k.path, root) || k.path.startsWith(prefix, Qt::CaseInsensitive);
    }) > 0;
    if (removed)
        reindex();
    return removed;
}
