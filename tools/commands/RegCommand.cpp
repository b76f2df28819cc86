#include "tools/Command.h"

#include "platform/registry/RegEdit.h"

namespace {

// Exit status 1, with the reason on standard error, when the write did not happen.
int Store(HKEY hive, const QString &key, const QString &name, const QString &value)
{
    if (WriteRegistryString(hive, key, name, value))
        return 0;
    PrintErr(QStringLiteral("reg: ") + Registry::lastError());
    return 1;
}

// reg get|set|delete HIVE KEY NAME [VALUE]
int RunReg(const QStringList &args)
{
    if (args.size() < 4)
        return UsageError(QStringLiteral("reg"));
    const QString verb = args.at(0);
    const std::optional<HKEY> hive = Registry::rootFromName(args.at(1));
    if (!hive || (*hive != HKEY_CURRENT_USER && *hive != HKEY_LOCAL_MACHINE))
        return UsageError(QStringLiteral("reg"));
    const QString &key = args.at(2);
    const QString &name = args.at(3);
    if (verb == QLatin1String("get") && args.size() == 4) {
        PrintOut(GetRegistryString(*hive, key, name));
        return 0;
    }
    if (verb == QLatin1String("set") && args.size() == 5)
        return Store(*hive, key, name, args.at(4));
    if (verb == QLatin1String("delete") && args.size() == 4)
        return Store(*hive, key, name, QString());
    return UsageError(QStringLiteral("reg"));
}

const Command::Registrar reg(
    {QStringLiteral("reg"),
     QStringLiteral("get|set|delete HKEY_CURRENT_USER|HKCU|HKEY_LOCAL_MACHINE|HKLM KEY NAME [VALUE]"), RunReg});
} // namespace
