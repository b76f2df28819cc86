#include "tools/Command.h"

#include "platform/registry/RegEdit.h"

namespace {

const QString kName = QStringLiteral("reg");

// Exit status 1, with the reason on standard error, when the write did not happen.
int Store(HKEY hive, const QString &key, const QString &name, const QString &value)
{
    if (WriteRegistryString(hive, key, name, value))
        return ExitDone;
    PrintErr(QStringLiteral("reg: ") + Registry::lastError());
    return ExitFailed;
}

int RunReg(const QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() < 4)
        return UsageError(kName, QStringLiteral("VERB HIVE KEY NAME are required"));
    const QString &verb = args.at(0);
    const std::optional<HKEY> hive = Registry::rootFromName(args.at(1));
    if (!hive || (*hive != HKEY_CURRENT_USER && *hive != HKEY_LOCAL_MACHINE))
        return UsageError(kName, QStringLiteral("unknown hive '%1'").arg(args.at(1)));
    const QString &key = args.at(2);
    const QString &name = args.at(3);
    if (verb == QLatin1String("get") && args.size() == 4) {
        PrintOut(GetRegistryText(*hive, key, name));
        return ExitDone;
    }
    if (verb == QLatin1String("set") && args.size() == 5)
        return Store(*hive, key, name, args.at(4));
    if (verb == QLatin1String("delete") && args.size() == 4)
        return Store(*hive, key, name, QString());
    return UsageError(kName, QStringLiteral("'%1' does not take %2 arguments").arg(verb).arg(args.size()));
}

const Command::Registrar reg(
    {kName,
     QStringLiteral("read, write or delete a text value in the settings (the registry hives)"),
     QStringLiteral("get|set|delete HKEY_CURRENT_USER|HKCU|HKEY_LOCAL_MACHINE|HKLM KEY NAME [VALUE]"),
     {},
     {{QStringLiteral("VERB"), QStringLiteral("get prints the value, set stores VALUE, delete removes the value")},
      {QStringLiteral("HIVE"), QStringLiteral("HKEY_CURRENT_USER (HKCU) or HKEY_LOCAL_MACHINE (HKLM)")},
      {QStringLiteral("KEY"), QStringLiteral("the key's path below the hive, as Software\\Norvane\\Vexilo")},
      {QStringLiteral("NAME"), QStringLiteral("the value's name; empty for the key's default value")},
      {QStringLiteral("VALUE"), QStringLiteral("the text to store (set only)")}},
     RunReg});
} // namespace
