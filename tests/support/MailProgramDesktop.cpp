#include "tests/support/MailProgramDesktop.h"

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

namespace {
const char *const kDesktopVariables[] = {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                         "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "MAILER"};
}

MailProgramDesktop::MailProgramDesktop(bool registered)
{
    for (const char *name : kDesktopVariables)
        qunsetenv(name);
    // xdg-open looks for a handler only where a display is named; none is opened.
    qputenv("WAYLAND_DISPLAY", "vexilo-test-no-display");
    qputenv("BROWSER", "false");
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    m_record = dataHome + QStringLiteral("/mailto-record.json");
    if (!registered) {
        m_ready = true;
        return;
    }
    const QString applications = dataHome + QStringLiteral("/applications");
    QDir().mkpath(applications);
    QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME"));
    const QString script = TestEnvironment::sourceDir() + QStringLiteral("/tests/support/mailto_recorder.py");
    WriteFile(applications + QStringLiteral("/vexilo-test-mail.desktop"),
              QStringLiteral("[Desktop Entry]\nType=Application\nName=Recording Mail\n"
                             "Exec=/usr/bin/python3 %1 %2 %u\nMimeType=x-scheme-handler/mailto;\n")
                  .arg(script, m_record)
                  .toUtf8());
    m_ready = QProcess::execute(QStringLiteral("xdg-mime"), {QStringLiteral("default"),
                                                             QStringLiteral("vexilo-test-mail.desktop"),
                                                             QStringLiteral("x-scheme-handler/mailto")})
              == 0;
}

MailProgramDesktop::~MailProgramDesktop()
{
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("BROWSER");
}

QJsonObject MailProgramDesktop::record(int timeoutMs) const
{
    (void)QTest::qWaitFor([&] { return QFile::exists(m_record); }, timeoutMs);
    return QJsonDocument::fromJson(ReadFile(m_record)).object();
}
