#include "platform/registry/RegEdit.h"

namespace {
// The value buffer holds 255 bytes, terminating NUL included.
constexpr int kValueBufferSize = 255;
} // namespace

QString GetRegistryString(HKEY hive, const QString &key, const QString &valueName)
{
    if (!Registry::isPredefinedRoot(hive))
        return QString();
    const std::optional<RegistryValue> value = Registry::readValue(hive, key, valueName);
    if (!value)
        return QString();
    switch (value->type) {
    case RegistryValue::DWord:
        return QStringLiteral("%1").arg(value->number, 3, 10, QLatin1Char('0'));
    case RegistryValue::String: {
        const QByteArray data = value->text.toUtf8();
        return data.size() + 1 > kValueBufferSize ? QString() : value->text;
    }
    case RegistryValue::Binary:
        if (value->bytes.isEmpty() || value->bytes.size() > kValueBufferSize)
            return QString();
        return QString::fromUtf8(value->bytes.left(value->bytes.size() - 1));
    }
    return QString();
}

void SetRegistryString(HKEY hive, const QString &key, const QString &valueName, const QString &value)
{
    WriteRegistryString(hive, key, valueName, value);
}

bool WriteRegistryString(HKEY hive, const QString &key, const QString &valueName, const QString &value)
{
    if (!Registry::isPredefinedRoot(hive))
        return false;
    if (value.isEmpty()) {
        if (!Registry::keyExists(hive, key) && !Registry::createKey(hive, key))
            return false;
        return Registry::deleteValue(hive, key, valueName);
    }
    return Registry::writeString(hive, key, valueName, value);
}
