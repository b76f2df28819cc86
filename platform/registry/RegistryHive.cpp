#include "platform/registry/RegistryHive.h"

#include <QStringDecoder>

namespace {

bool samePath(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString normalizedPath(QString path)
{
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
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
    if (bytes.size() > MaxFileSize || bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return false;

    const QStringList lines = text.split(QLatin1Char('\n'));
    RegistryKey *current = nullptr;
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
            createKey(path);
            current = findKeyMutable(path);
            continue;
        }
        if (!current)
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
        setValue(current->path, value);
    }
    return true;
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

const RegistryKey *RegistryHive::findKey(const QString &path) const
{
    const QString wanted = normalizedPath(path);
    for (const RegistryKey &key : m_keys)
        if (samePath(key.path, wanted))
            return &key;
    return nullptr;
}

RegistryKey *RegistryHive::findKeyMutable(const QString &path)
{
    return const_cast<RegistryKey *>(findKey(path));
}

std::optional<RegistryValue> RegistryHive::value(const QString &keyPath, const QString &name) const
{
    const RegistryKey *key = findKey(keyPath);
    if (!key)
        return std::nullopt;
    for (const RegistryValue &v : key->values)
        if (samePath(v.name, name))
            return v;
    return std::nullopt;
}

QStringList RegistryHive::subKeys(const QString &path) const
{
    const QString prefix = normalizedPath(path) + QLatin1Char('\\');
    QStringList names;
    for (const RegistryKey &key : m_keys) {
        if (!key.path.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QString child = key.path.mid(prefix.size()).section(QLatin1Char('\\'), 0, 0);
        if (!names.contains(child, Qt::CaseInsensitive))
            names << child;
    }
    return names;
}

void RegistryHive::createKey(const QString &path)
{
    const QStringList parts = normalizedPath(path).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QString partial;
    for (const QString &part : parts) {
        partial += (partial.isEmpty() ? QString() : QStringLiteral("\\")) + part;
        if (!findKey(partial))
            m_keys.append(RegistryKey{partial, {}});
    }
}

void RegistryHive::setValue(const QString &keyPath, const RegistryValue &value)
{
    createKey(keyPath);
    RegistryKey *key = findKeyMutable(keyPath);
    for (RegistryValue &v : key->values) {
        if (samePath(v.name, value.name)) {
            v = value;
            return;
        }
    }
    key->values.append(value);
}

bool RegistryHive::deleteValue(const QString &keyPath, const QString &name)
{
    RegistryKey *key = findKeyMutable(keyPath);
    if (!key)
        return false;
    return key->values.removeIf([&](const RegistryValue &v) { return samePath(v.name, name); }) > 0;
}

bool RegistryHive::deleteKeyTree(const QString &path)
{
    const QString root = normalizedPath(path);
    const QString prefix = root + QLatin1Char('\\');
    return m_keys.removeIf([&](const RegistryKey &k) {
        return samePath(k.path, root) || k.path.startsWith(prefix, Qt::CaseInsensitive);
    }) > 0;
}
