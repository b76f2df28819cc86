#pragma once

#include <QImage>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

// Real browsers without a display, for pages the program writes: headless
// Chromium (the document as it stands after the scripts ran, and the
// console) and Firefox ESR (a screenshot, and the console on its output).
// Neither reaches any host but the loopback interface.
namespace HeadlessBrowser {

bool HaveChromium();
bool HaveFirefox();

struct Findings
{
    QStringList lines; // the text of the page's <pre id="out">, line by line
    QStringList console; // console messages
};

// Loads url and gives what its <pre id="out"> holds after virtualMs of the
// page's time. profile: a fresh folder for the browser's own files.
Findings ChromiumFindings(const QString &url, const QString &profile, QSize window, int virtualMs = 6000);
QImage ChromiumScreenshot(const QString &url, const QString &profile, QSize window);

// A screenshot once the page has loaded, and the console messages.
QImage FirefoxScreenshot(const QString &url, const QString &profile, QSize window, QStringList *console = nullptr);

// Serves folder on a free loopback port until server ends; every response
// carries "X-Content-Type-Options: nosniff", and files ending in ".class"
// are labelled application/java-vm, as common static hosts do. Returns the
// base address ("http://127.0.0.1:PORT/"), empty when the server did not start.
QString ServeFolder(QProcess &server, const QString &folder);
// The requests the server answered, as "PATH STATUS", once it has ended.
QStringList ServedRequests(QProcess &server);
void StopServer(QProcess &server);

} // namespace HeadlessBrowser
