#pragma once

#include <QString>

// Opens a page in the user's browser as a separate process. A single-
// instance launch first ends the browser that the previous single-instance
// launch started, when that browser is still running; the first one ends
// nothing.
class BrowserLaunch
{
public:
    // An empty fileName stands for the template's page. Failures are shown
    // to the user (messages 13 and 14).
    void LaunchBrowser(QString fileName, const QString &URL, bool singleInstance);

    // The address of the page "Vexilo.htm" in a directory, as a file URL.
    static QString PageAddress(const QString &directory);

    // The support page (text 86) as an address; a relative one names a page
    // in the program's own folder, the help page installed with it.
    static QString SupportAddress();

    bool firstLaunch = true;
    qint64 browserProcess = 0; // started by the last single-instance launch
    qint64 otherProcess = 0; // started by the last other launch; never ended
};
