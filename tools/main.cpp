#include "tools/CommandLine.h"

#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "platform/HeapTuning.h"
#include "resources/Resources.h"
#include "resources/StringTable.h"
#include "tools/Command.h"

#include <QApplication>

// vexilo-cube: the program's work from the command line, on the same code.
int main(int argc, char *argv[])
{
    HeapTuning::KeepLargeBuffers();
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

    return CommandLine::Run(app.arguments().mid(1));
}
