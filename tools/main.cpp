#include "tools/Command.h"

#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "resources/Resources.h"
#include "resources/StringTable.h"

#include <QApplication>

// vexilo-cube: the program's work from the command line, on the same code.
int main(int argc, char *argv[])
{
    // Widgets are needed by the imaging code, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitResources();
    gAppTitle = LoadResString(Msg::AppTitle);

    // Messages the program would show in a box go to standard error.
    MessageSeam::setMessageHandler([](int, MsgButtons) {
        PrintErr(MessageSeam::shownTexts().constLast());
        return int(IDOK);
    });

    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return UsageError(QString());
    const QString name = args.takeFirst();
    for (const Command &command : Command::all())
        if (command.name == name)
            return command.run(args);
    return UsageError(QString());
}
