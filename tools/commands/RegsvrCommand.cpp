#include "tools/Command.h"

#include "platform/SelfRegistration.h"

#include <QFileInfo>

namespace {

// regsvr [--unregister] PATH: loads a self-registering library and runs its
// registration (or unregistration) entry point.
int RunRegsvr(const QStringList &args)
{
    const bool unregister = args.size() == 2 && args.first() == QLatin1String("--unregister");
    if (args.size() != 1 && !unregister)
        return UsageError(QStringLiteral("regsvr"));
    const QString path = QFileInfo(args.last()).absoluteFilePath();
    const auto action = unregister ? SelfRegistration::Action::Unregister : SelfRegistration::Action::Register;
    QString error;
    if (!SelfRegistration::Run(path, action, &error)) {
        PrintErr(error);
        return 1;
    }
    PrintOut(QStringLiteral("%1 in %2 succeeded.").arg(SelfRegistration::EntryPoint(action), path));
    return 0;
}

const Command::Registrar regsvr({QStringLiteral("regsvr"), QStringLiteral("[--unregister] LIBRARY"), RunRegsvr});
} // namespace
