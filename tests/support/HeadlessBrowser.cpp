#include "tests/support/HeadlessBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace HeadlessBrowser {

namespace {
const QString kChromium = QStringLiteral("/usr/bin/chromium");
const QString kFirefox = QStringLiteral("/usr/bin/firefox-esr");

QStringList ChromiumArgs(const QString &profile, QSize window, int virtualMs)
{
    return {"--headless",
            "--no-sandbox",
            "--disable-gpu",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            "--no-first-run",
            "--hide-scrollbars",
            "--user-data-dir=" + profile,
            "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
            "--allow-file-access-from-files",
            "--enable-logging=stderr",
            "--v=0",
            QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height()),
            QStringLiteral("--virtual-time-budget=%1").arg(virtualMs)};
}

// The browser reaches nothing outside the loopback interface and updates nothing.
const char kFirefoxPrefs[] = R"(user_pref("security.fileuri.strict_origin_policy", false);
user_pref("devtools.console.stdout.content", true);
user_pref("network.proxy.type", 0);
user_pref("network.dns.disableIPv6", true);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("app.update.enabled", false);
user_pref("app.normandy.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("extensions.update.enabled", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
)";

const char kServer[] = R"(import http.server, sys
class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".class": "application/java-vm"})
    def end_headers(self):
        self.send_header("X-Content-Type-Options", "nosniff")
        self.send_header("Cache-Control", "no-store")
        super().end_headers()
    def log_message(self, fmt, *args):
        sys.stderr.write("served %s %s\n" % (self.path, args[1] if len(args) > 1 else "-"))
        sys.stderr.flush()
import functools
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=sys.argv[1]))
print("port %d" % server.server_address[1], flush=True)
server.serve_forever()
)";
} // namespace

bool HaveChromium()
{
    return QFileInfo(kChromium).isExecutable();
}

bool HaveFirefox()
{
    return QFileInfo(kFirefox).isExecutable();
}

Findings ChromiumFindings(const QString &url, const QString &profile, QSize window, int virtualMs)
{
    QProcess chromium;
    chromium.start(kChromium, ChromiumArgs(profile, window, virtualMs) << "--dump-dom" << url);
    chromium.waitForFinished(90000);
    Findings found;
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("<pre id=\"out\">(.*?)</pre>"),
                                                         QRegularExpression::DotMatchesEverythingOption)
                                          .match(dom);
    if (m.hasMatch())
        found.lines = m.captured(1).split(QLatin1Char('\n'));
    for (const QString &line : QString::fromUtf8(chromium.readAllStandardError()).split(QLatin1Char('\n')))
        if (line.contains(QLatin1String(":CONSOLE")))
            found.console << line;
    return found;
}

QImage ChromiumScreenshot(const QString &url, const QString &profile, QSize window)
{
    const QString shot = profile + QStringLiteral("/shot.png");
    QDir().mkpath(profile);
    QProcess chromium;
    chromium.start(kChromium, ChromiumArgs(profile, window, 3000) << "--screenshot=" + shot << url);
    chromium.waitForFinished(90000);
    return QImage(shot);
}

QImage FirefoxScreenshot(const QString &url, const QString &profile, QSize window, QStringList *console)
{
    QDir().mkpath(profile);
    QFile prefs(profile + QStringLiteral("/user.js"));
    if (prefs.open(QIODevice::WriteOnly))
        prefs.write(kFirefoxPrefs);
    prefs.close();
    const QString shot = profile + QStringLiteral("/shot.png");
    QProcess firefox;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), profile);
    env.insert(QStringLiteral("MOZ_HEADLESS"), QStringLiteral("1"));
    env.remove(QStringLiteral("DISPLAY"));
    firefox.setProcessEnvironment(env);
    firefox.start(kFirefox, {"--headless", "--no-remote", "--profile", profile,
                             QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height()),
                             "--screenshot", shot, url});
    if (!firefox.waitForFinished(120000)) {
        firefox.kill();
        firefox.waitForFinished();
    }
    if (console)
        for (const QString &line : QString::fromUtf8(firefox.readAllStandardOutput()).split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("console.")) || line.contains(QLatin1String("Error")))
                *console << line;
    return QImage(shot);
}

QString ServeFolder(QProcess &server, const QString &folder)
{
    server.start(QStringLiteral("/usr/bin/python3"), {"-u", "-c", QString::fromLatin1(kServer), folder});
    if (!server.waitForStarted())
        return {};
    QByteArray banner;
    while (!banner.contains('\n') && server.waitForReadyRead(10000))
        banner += server.readAllStandardOutput();
    const QString port = QRegularExpression(QStringLiteral("port (\\d+)")).match(QString::fromUtf8(banner)).captured(1);
    return port.isEmpty() ? QString() : QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

void StopServer(QProcess &server)
{
    server.terminate();
    server.waitForFinished(5000);
}

QStringList ServedRequests(QProcess &server)
{
    QStringList requests;
    for (const QString &line : QString::fromUtf8(server.readAllStandardError()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("served ")))
            requests << line.mid(7);
    return requests;
}

} // namespace HeadlessBrowser
