#include "core/MessageBox.h"
#include "core/StartupTrace.h"
#include "platform/HeapTuning.h"
#include "platform/SingleInstance.h"
#include "platform/UnixSignals.h"
#include "resources/Resources.h"
#include "shell/FrameStyle.h"
#include "shell/MDIForm1.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    HeapTuning::KeepLargeBuffers();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vexilo"));
    QApplication::setStyle(new FrameStyle);
    InitResources();
    InstallMessageBoxWindows();
    StartupTrace::Mark("application made");

    // A cube document named on the command line opens, in the running
    // instance when there is one.
    const QStringList arguments = QApplication::arguments().mid(1);
    const QString document = arguments.isEmpty() ? QString() : QFileInfo(arguments.constFirst()).absoluteFilePath();

    SingleInstance instance;
    if (instance.activateRunningInstance(document)) {
        // Another instance runs: it has been brought forward; end this one.
        QApplication::setApplicationDisplayName(QStringLiteral("~"));
        return 0;
    }
    instance.listen();

    MDIForm1 frame;
    StartupTrace::Mark("frame made");
    QObject::connect(&instance, &SingleInstance::activationRequested, &frame, &MDIForm1::activate);
    QObject::connect(&instance, &SingleInstance::openRequested, &frame, &MDIForm1::OpenDocument);
    UnixSignals signalsToClose;
    QObject::connect(&signalsToClose, &UnixSignals::terminationRequested, &frame, &QWidget::close);

    if (!frame.MDIForm_Load())
        return 1;
    frame.show();
    StartupTrace::Mark("frame shown");
    frame.OfferRecovery();
    if (!document.isEmpty())
        frame.OpenDocument(document);
    return app.exec();
}
