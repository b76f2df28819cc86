#include "publish/BrowserLaunch.h"

#include "core/AppPaths.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "platform/BrowserProcess.h"
#include "resources/StringTable.h"

#include <QUrl>

QString BrowserLaunch::PageAddress(const QString &directory)
{
    return QUrl::fromLocalFile(AppPaths::join(directory, QStringLiteral("Vexilo.htm"))).toString(QUrl::FullyEncoded);
}

QString BrowserLaunch::SupportAddress()
{
    const QUrl programFolder = QUrl::fromLocalFile(AppPaths::programDirectory() + QLatin1Char('/'));
    return programFolder.resolved(QUrl(LoadResString(Msg::SupportAddress))).toString(QUrl::FullyEncoded);
}

void BrowserLaunch::LaunchBrowser(QString fileName, const QString &URL, bool singleInstance)
{
    if (fileName.isEmpty())
        fileName = AppPaths::join(AppPaths::templateDirectory(), QStringLiteral("Vexilo.htm"));
    const QString searchPath = AppPaths::savedPath();
    const std::optional<BrowserCommand> browser = BrowserProcess::FindExecutable(fileName, searchPath);
    if (!browser) {
        ShowMessage(Msg::NoBrowserFound);
        return;
    }
    if (singleInstance) {
        if (firstLaunch)
            firstLaunch = false;
        else if (browserProcess != 0 && BrowserProcess::Terminate(browserProcess))
            browserProcess = 0;
    }
    const qint64 started = BrowserProcess::Start(*browser, URL, searchPath);
    (singleInstance ? browserProcess : otherProcess) = started;
    if (started == 0)
        ShowMessage(Msg::BrowserNotLaunched);
}
