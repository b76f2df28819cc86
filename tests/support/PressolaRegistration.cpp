#include "tests/support/PressolaRegistration.h"

#include "platform/registry/Registry.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

namespace {

// The records the control's own registration writes, made once per test
// program in a registry folder of their own (registering costs a hive
// write per record).
const RegistryHive &RegistrationRecords()
{
    static const RegistryHive records = [] {
        RegistryHive hive;
        QLibrary library(TestEnvironment::appDir() + QStringLiteral("/libPressola.so"));
        using EntryPoint = long (*)();
        const auto registerServer = reinterpret_cast<EntryPoint>(library.resolve("DllRegisterServer"));
        QTemporaryDir scratch;
        if (!registerServer || !scratch.isValid())
            return hive;
        const QByteArray registryDir = qgetenv("VEXILO_REGISTRY_DIR");
        qputenv("VEXILO_REGISTRY_DIR", scratch.path().toUtf8());
        if (registerServer() == 0)
            hive.parse(ReadFile(scratch.path() + QStringLiteral("/system.reg")));
        qputenv("VEXILO_REGISTRY_DIR", registryDir);
        return hive;
    }();
    return records;
}

void CopyTree(const RegistryHive &from, const QString &path, RegistryHive &into)
{
    if (const RegistryKey *key = from.findKey(path)) {
        into.createKey(path);
        for (const RegistryValue &value : key->values)
            into.setValue(path, value);
    }
    for (const QString &child : from.subKeys(path))
        CopyTree(from, path + QLatin1Char('\\') + child, into);
}

} // namespace

void RegisterPressolaControl()
{
    const RegistryHive &records = RegistrationRecords();
    if (!records.keyExists(QStringLiteral("HKEY_LOCAL_MACHINE")))
        return;
    const QString file = Registry::directory() + QStringLiteral("/system.reg");
    RegistryHive hive;
    if (QFile::exists(file) && !hive.parse(ReadFile(file)))
        return; // a damaged hive stays as it is
    CopyTree(records, QStringLiteral("HKEY_LOCAL_MACHINE"), hive);
    WriteFile(file, hive.serialize());
}
