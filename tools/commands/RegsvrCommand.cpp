#include "tools/Command.h"

#include "platform/SelfRegistration.h"

#include <QFileInfo>

namespace {

const QString kName = QStringLiteral("regsvr");
const QString kUnregister = QStringLiteral("unregister");

// Loads a self-registering library and runs its registration (or
// unregistration) entry point.
int RunRegsvr(const QCommandLineParser &parser)
{
    if (parser.positionalArguments().size() != 1)
        return UsageError(kName, QStringLiteral("LIBRARY is required"));
    const QString path = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    const auto action =
        parser.isSet(kUnregister) ? SelfRegistration::Action::Unregister : SelfRegistration::Action::Register;
    QString error;
    if (!SelfRegistration::Run(path, action, &error)) {
        PrintErr(error);
        return ExitFailed;
    }
    PrintOut(QStringLiteral("%1 in %2 succeeded.").arg(SelfRegistration::EntryPoint(action), path));
    return ExitDone;
}

const Command::Registrar regsvr(
    {kName,
     QStringLiteral("register a self-registering library (the button control) in the settings"),
     QStringLiteral("[--unregister] LIBRARY"),
     {{kUnregister, QStringLiteral("remove the library's registration instead")}},
     {{QStringLiteral("LIBRARY"), QStringLiteral("the library file, as libPressola.so")}},
     RunRegsvr});
} // namespace
