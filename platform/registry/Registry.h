#pragma once

#include "platform/registry/RegistryHive.h"

#include <QtGlobal>
#include <functional>
#include <optional>

using HKEY = quint32;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
constexpr HKEY HKEY_USERS = 0x80000003;
constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
constexpr HKEY HKEY_DYN_DATA = 0x80000006;

// The registry stand-in: one hive file per root in the registry folder
// ($VEXILO_REGISTRY_DIR, else $XDG_CONFIG_HOME/vexilo). HKEY_CLASSES_ROOT is
// the merged view of the two Software\Classes keys: reads prefer the user's,
// writes go to the machine's. Writes are atomic and serialised by a lock file;
// a hive that cannot be parsed reads as empty and is never written, and a
// write that fails on the way (a full disk) leaves the old file as it was.
class Registry
{
public:
    static QString directory();
    static bool isPredefinedRoot(HKEY root);
    static std::optional<HKEY> rootFromName(const QString &name);

    static bool keyExists(HKEY root, const QString &key);
    static std::optional<RegistryValue> readValue(HKEY root, const QString &key, const QString &name);
    static QStringList subKeys(HKEY root, const QString &key);

    static bool createKey(HKEY root, const QString &key);
    static bool writeValue(HKEY root, const QString &key, const RegistryValue &value);
    static bool writeString(HKEY root, const QString &key, const QString &name, const QString &text);
    static bool deleteValue(HKEY root, const QString &key, const QString &name);
    static bool deleteKeyTree(HKEY root, const QString &key);
    // Why the last write that returned false did not happen, in words.
    static QString lastError();

private:
    struct Location
    {
        QString file; // hive file name inside the registry folder
        QString fullPath; // key path inside that hive, root name included
    };
    static QList<Location> readLocations(HKEY root, const QString &key);
    static std::optional<Location> writeLocation(HKEY root, const QString &key);
    static std::optional<RegistryHive> loadHive(const QString &file);
    static bool modifyHive(const Location &where, const std::function<bool(RegistryHive &, const QString &)> &change);
};
