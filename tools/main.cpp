#include "tools/CommandLine.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "platform/HeapTuning.h"
#include "resources/Resources.h"
#include "resources/StringTable.h"

#include <QGuiApplication>

// vexilo-cube: the program's work from the command line, on the same code.
// Messages the program would show in a box go to standard error.
int main(int argc, char *argv[])
{
    HeapTuning::KeepLargeBuffers();
    // Pictures, fonts and the clipboard need a GUI application, never a
    // screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InitResources();
    gAppTitle = LoadResString(Msg::AppTitle);
    return CommandLine::Run(app.arguments().mid(1));
}
