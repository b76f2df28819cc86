#include "tools/Command.h"

#include <QFileInfo>
#include <QLibrary>

namespace {

// regsvr [--unregister] PATH: loads a self-registering library and runs its
// registration (or unregistration) entry point.
int RunRegsvr(const QStringList &args)
{
    const bool unregister = args.size() == 2 && args.first() == QLatin1String("--unregister");
    if (args.size() != 1 && !unregister)
        return UsageError(QStringLiteral("regsvr"));
    const QString path = QFileInfo(args.last()).absoluteFilePath();
    const char *entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    QLibrary library(path);
    if (!library.load()) {
        PrintErr(QStringLiteral("%1 could not be loaded: %2").arg(path, library.errorString()));
        return 1;
    }
    using EntryPoint = long (*)();
    const auto run = reinterpret_cast<EntryPoint>(library.resolve(entry));
    if (!run) {
        PrintErr(QStringLiteral("%1 has no entry point %2.").arg(path, QLatin1String(entry)));
        return 1;
    }
    const long result = run();
    if (result != 0) {
        PrintErr(QStringLiteral("%1 in %2 failed with 0x%3.")
                     .arg(QLatin1String(entry), path, QString::number(quint32(result), 16).toUpper()));
        return 1;
    }
    PrintOut(QStringLiteral("%1 in %2 succeeded.").arg(QLatin1String(entry), path));
    return 0;
}

const Command::Registrar regsvr({QStringLiteral("regsvr"), QStringLiteral("[--unregister] LIBRARY"), RunRegsvr});
} // namespace
