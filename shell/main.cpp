#include "core/MessageBox.h"
#include "core/StartupTrace.h"
#include "platform/HeapTuning.h"
#include "platform/SingleInstance.h"
#include "platform/UnixSignals.h"
#include "resources/Resources.h"
#include "shell/FrameStyle.h"
#include "shell/MDIForm1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    HeapTuning::KeepLargeBuffers();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vexilo"));
    QApplication::setStyle(new FrameStyle);
    InitResources();
    InstallMessageBoxWindows();
    StartupTrace::Mark("application made");

    SingleInstance instance;
    if (instance.activateRunningInstance()) {
        // Another instance runs: it has been brought forward; end this one.
        QApplication::setApplicationDisplayName(QStringLiteral("~"));
        return 0;
    }
    instance.listen();

    MDIForm1 frame;
    StartupTrace::Mark("frame made");
    QObject::connect(&instance, &SingleInstance::activationRequested, &frame, &MDIForm1::activate);
    UnixSignals signalsToClose;
    QObject::connect(&signalsToClose, &UnixSignals::terminationRequested, &frame, &QWidget::close);

    if (!frame.MDIForm_Load())
        return 1;
    frame.show();
    StartupTrace::Mark("frame shown");
    return app.exec();
}
