#include "platform/registry/RegEdit.h"

#include <optional>
#include <utility>

namespace {
// The value buffer holds 255 bytes, terminating NUL included.
constexpr int kValueBufferSize = 255;
} // namespace

namespace {
// The value's text and the bytes its data takes, terminating NUL included;
// none when it is missing or holds no text.
std::optional<std::pair<QString, qsizetype>> ValueText(HKEY hive, const QString &key, const QString &valueName)
{
    if (!Registry::isPredefinedRoot(hive))
        return std::nullopt;
    const std::optional<RegistryValue> value = Registry::readValue(hive, key, valueName);
    if (!value)
        return std::nullopt;
    switch (value->type) {
    case RegistryValue::DWord:
        return std::pair{QStringLiteral("%1").arg(value->number, 3, 10, QLatin1Char('0')), qsizetype(4)};
    case RegistryValue::String:
        return std::pair{value->text, value->text.toUtf8().size() + 1};
    case RegistryValue::Binary:
        if (value->bytes.isEmpty())
            return std::nullopt;
        return std::pair{QString::fromUtf8(value->bytes.left(value->bytes.size() - 1)), value->bytes.size()};
    }
    return std::nullopt;
}
} // namespace

QString GetRegistryString(HKEY hive, const QString &key, const QString &valueName)
{
    const auto text = ValueText(hive, key, valueName);
    return text && text->second <= kValueBufferSize ? text->first : QString();
}

QString GetRegistryText(HKEY hive, const QString &key, const QString &valueName)
{
    const auto text = ValueText(hive, key, valueName);
    return text ? text->first : QString();
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
