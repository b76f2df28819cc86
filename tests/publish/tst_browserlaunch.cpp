#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/Startup.h"
#include "editor/TopForm.h"
#include "platform/BrowserProcess.h"
#include "publish/BrowserLaunch.h"
#include "publish/Progress.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Launches with a fake browser: a script that writes its command line, its
// PATH and its end into a log, and runs until it is ended.
class TestBrowserLaunch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstLaunchEndsNothing();
    void secondLaunchEndsTheFirstBrowser();
    void otherLaunchesAreNeverEnded();
    void exitedBrowserIsNotEnded();
    void emptyFileNameUsesTemplatePage();
    void missingPageReportsNoBrowser();
    void noBrowserReportsMessage13();
    void unstartableBrowserReportsMessage14();
    void desktopEntryOfDefaultApplication();
    void desktopEntryFieldCodes_data();
    void desktopEntryFieldCodes();
    void browserVariableWithPlaceholder();
    void pageAddress_data();
    void pageAddress();
    void supportAddressIsTheInstalledHelpPage();
    // Last: start-up fixes the PATH that browsers get for the rest of the run.
    void previewOpensBuiltPage();
    void previewAfterFailedBuild();
    void supportLinkOpensTheHelpPage();

private:
    QString writeScript(const QString &name, const QByteArray &body) const;
    QStringList logLines() const;
    QString page() const;

    QTemporaryDir m_browsers;
    TestEnvironment *m_env = nullptr;
    QString m_bin;
    QString m_log;
    BrowserLaunch m_launch;
};

void TestBrowserLaunch::initTestCase()
{
    m_bin = m_browsers.path() + QStringLiteral("/bin");
    m_log = m_browsers.path() + QStringLiteral("/browser.log");
    writeScript(QStringLiteral("fakebrowser"), "exec >/dev/null 2>&1\n"
                                               "trap 'echo \"end $$\" >> \""
                                                   + m_log.toUtf8()
                                                   + "\"; exit 0' TERM\n"
                                                     "echo \"start $$ PATH=$PATH $*\" >> \""
                                                   + m_log.toUtf8()
                                                   + "\"\n"
                                                     "while :; do /bin/sleep 1 & wait $!; done\n");
}

void TestBrowserLaunch::init()
{
    m_env = new TestEnvironment;
    QFile::remove(m_log);
    // Only the fake browsers are on PATH, so that no real browser is ever started.
    qputenv("PATH", m_bin.toUtf8());
    qputenv("BROWSER", "fakebrowser");
    WriteFile(page(), "<p>page</p>");
    m_launch = BrowserLaunch();
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
}

void TestBrowserLaunch::cleanup()
{
    for (qint64 id : {m_launch.browserProcess, m_launch.otherProcess}) {
        BrowserProcess::Terminate(id);
        QTRY_VERIFY(!BrowserProcess::IsRunning(id));
    }
    qunsetenv("BROWSER");
    delete m_env;
}

QString TestBrowserLaunch::writeScript(const QString &name, const QByteArray &body) const
{
    const QString path = WriteFile(m_bin + QLatin1Char('/') + name, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList TestBrowserLaunch::logLines() const
{
    return QString::fromUtf8(ReadFile(m_log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString TestBrowserLaunch::page() const
{
    return m_env->path(QStringLiteral("work dir/Vexilo.htm"));
}

void TestBrowserLaunch::firstLaunchEndsNothing()
{
    const QString url = BrowserLaunch::PageAddress(m_env->path(QStringLiteral("work dir")));
    m_launch.LaunchBrowser(page(), url, true);
    QVERIFY(!m_launch.firstLaunch);
    QVERIFY(m_launch.browserProcess > 0);
    const QString pid = QString::number(m_launch.browserProcess);
    QTRY_COMPARE(logLines().size(), 1);
    QCOMPARE(logLines().at(0), QStringLiteral("start %1 PATH=%2 %3").arg(pid, AppPaths::savedPath(), url));
    QTest::qWait(300);
    QCOMPARE(logLines().size(), 1);
    QVERIFY(BrowserProcess::IsRunning(m_launch.browserProcess));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestBrowserLaunch::secondLaunchEndsTheFirstBrowser()
{
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///a"), true);
    const qint64 first = m_launch.browserProcess;
    QTRY_COMPARE(logLines().size(), 1);
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///b"), true);
    const qint64 second = m_launch.browserProcess;
    QVERIFY(second > 0 && second != first);
    QTRY_VERIFY(logLines().contains(QStringLiteral("end %1").arg(first)));
    QTRY_VERIFY(logLines().contains(QStringLiteral("start %1 PATH=%2 file:///b").arg(second).arg(m_bin)));
    QVERIFY(!logLines().contains(QStringLiteral("end %1").arg(second)));
    QVERIFY(!BrowserProcess::IsRunning(first));
    QVERIFY(BrowserProcess::IsRunning(second));
}

void TestBrowserLaunch::otherLaunchesAreNeverEnded()
{
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///a"), true);
    const qint64 single = m_launch.browserProcess;
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///other"), false);
    const qint64 other = m_launch.otherProcess;
    QVERIFY(other > 0);
    QTRY_COMPARE(logLines().size(), 2);
    QCOMPARE(m_launch.browserProcess, single);
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///c"), true);
    QTRY_VERIFY(logLines().contains(QStringLiteral("end %1").arg(single)));
    QTest::qWait(300);
    QVERIFY(!logLines().contains(QStringLiteral("end %1").arg(other)));
    QVERIFY(BrowserProcess::IsRunning(other));
}

void TestBrowserLaunch::exitedBrowserIsNotEnded()
{
    // A browser that hands the page to another instance and exits at once.
    writeScript(QStringLiteral("quickbrowser"), "echo \"start $$ $*\" >> \"" + m_log.toUtf8() + "\"\n");
    qputenv("BROWSER", "quickbrowser");
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///a"), true);
    const qint64 first = m_launch.browserProcess;
    QTRY_VERIFY(!BrowserProcess::IsRunning(first));
    QVERIFY(!BrowserProcess::Terminate(first));
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///b"), true);
    QVERIFY(m_launch.browserProcess != first);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestBrowserLaunch::emptyFileNameUsesTemplatePage()
{
    m_launch.LaunchBrowser(QString(), QStringLiteral("https://support.example/"), true);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>());
    QTRY_COMPARE(logLines().size(), 1);
    QVERIFY(logLines().at(0).endsWith(QStringLiteral(" https://support.example/")));
}

void TestBrowserLaunch::missingPageReportsNoBrowser()
{
    m_launch.LaunchBrowser(m_env->path(QStringLiteral("nowhere/Vexilo.htm")), QStringLiteral("file:///x"), true);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{13});
    QVERIFY(m_launch.firstLaunch);
    QCOMPARE(m_launch.browserProcess, 0);
}

void TestBrowserLaunch::noBrowserReportsMessage13()
{
    qunsetenv("BROWSER");
    qputenv("PATH", m_env->path(QStringLiteral("empty")).toUtf8());
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///x"), true);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{13});
    QCOMPARE(m_launch.browserProcess, 0);
}

void TestBrowserLaunch::unstartableBrowserReportsMessage14()
{
    const QString path = WriteFile(m_bin + QStringLiteral("/brokenbrowser"), "#!/nonexistent/interpreter\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    qputenv("BROWSER", "brokenbrowser");
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///x"), true);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{14});
    QCOMPARE(m_launch.browserProcess, 0);
}

void TestBrowserLaunch::desktopEntryOfDefaultApplication()
{
    qunsetenv("BROWSER");
    qputenv("PATH", (m_bin + QStringLiteral(":/usr/bin:/bin")).toUtf8());
    qputenv("XDG_DATA_HOME", m_env->path(QStringLiteral("data")).toUtf8());
    WriteFile(m_env->path(QStringLiteral("data/applications/fakebrowser.desktop")),
              "[Desktop Entry]\nType=Application\nName=Fake\nExec=fakebrowser --new-window %U\n");
    WriteFile(m_env->path(QStringLiteral("home/.config/mimeapps.list")),
              "[Default Applications]\ntext/html=fakebrowser.desktop\n");
    m_launch.LaunchBrowser(page(), QStringLiteral("file:///x"), true);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QTRY_COMPARE(logLines().size(), 1);
    QVERIFY2(logLines().at(0).endsWith(QStringLiteral(" --new-window file:///x")), qPrintable(logLines().at(0)));
    qunsetenv("XDG_DATA_HOME");
}

void TestBrowserLaunch::desktopEntryFieldCodes_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("url") << QByteArray("Exec=fakebrowser %u") << QStringList{QStringLiteral("file:///p")};
    QTest::newRow("no code") << QByteArray("Exec=fakebrowser") << QStringList{QStringLiteral("file:///p")};
    QTest::newRow("icon dropped") << QByteArray("Exec=fakebrowser %i -a %F")
                                  << QStringList{QStringLiteral("-a"), QStringLiteral("file:///p")};
    QTest::newRow("percent") << QByteArray("Exec=fakebrowser --x=100%% %u")
                             << QStringList{QStringLiteral("--x=100%"), QStringLiteral("file:///p")};
    QTest::newRow("quoted") << QByteArray("Exec=\"fakebrowser\" \"--a b\" %u")
                            << QStringList{QStringLiteral("--a b"), QStringLiteral("file:///p")};
    QTest::newRow("other group ignored") << QByteArray("Exec=fakebrowser %u\n[Desktop Action new]\nExec=nothing")
                                         << QStringList{QStringLiteral("file:///p")};
}

void TestBrowserLaunch::desktopEntryFieldCodes()
{
    QFETCH(QByteArray, entry);
    QFETCH(QStringList, arguments);
    const QString file = WriteFile(m_env->path(QStringLiteral("e.desktop")), "[Desktop Entry]\n" + entry + "\n");
    const auto command = BrowserProcess::CommandFromDesktopEntry(file, m_bin);
    QVERIFY(command);
    QCOMPARE(command->program, m_bin + QStringLiteral("/fakebrowser"));
    QCOMPARE(command->argumentsFor(QStringLiteral("file:///p")), arguments);
}

void TestBrowserLaunch::browserVariableWithPlaceholder()
{
    qputenv("BROWSER", "missingbrowser:fakebrowser --url=%s");
    const auto command = BrowserProcess::FindExecutable(page(), qEnvironmentVariable("PATH"));
    QVERIFY(command);
    QCOMPARE(command->program, m_bin + QStringLiteral("/fakebrowser"));
    QCOMPARE(command->argumentsFor(QStringLiteral("file:///p")), QStringList{QStringLiteral("--url=file:///p")});
}

void TestBrowserLaunch::pageAddress_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << "/tmp/CubeTemp"
                           << "file:///tmp/CubeTemp/Vexilo.htm";
    QTest::newRow("blank") << "/tmp/my cube"
                           << "file:///tmp/my%20cube/Vexilo.htm";
    QTest::newRow("hash and percent") << "/tmp/a#b%c"
                                      << "file:///tmp/a%23b%25c/Vexilo.htm";
    QTest::newRow("non-ASCII") << QStringLiteral("/tmp/W\u00fcrfel") << "file:///tmp/W%C3%BCrfel/Vexilo.htm";
}

void TestBrowserLaunch::pageAddress()
{
    QFETCH(QString, directory);
    QFETCH(QString, address);
    QCOMPARE(BrowserLaunch::PageAddress(directory), address);
}

void TestBrowserLaunch::supportAddressIsTheInstalledHelpPage()
{
    const QString saved = AppPaths::programDirectory();
    AppPaths::setProgramDirectory(QStringLiteral("/opt/my apps/vexilo"));
    const QString address = BrowserLaunch::SupportAddress();
    AppPaths::setProgramDirectory(saved);
    QCOMPARE(address, QStringLiteral("file:///opt/my%20apps/vexilo/Help/vexilo-help.html"));
}

void TestBrowserLaunch::previewOpensBuiltPage()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    form.Caption1->setPlainText(QStringLiteral("Preview me"));
    const QString remembered = QDir::currentPath();
    form.Preview_Click();
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    const qint64 first = form.browser.browserProcess;
    QVERIFY(first > 0);
    const QString url = BrowserLaunch::PageAddress(form.WorkDirectory());
    QVERIFY(url.startsWith(QStringLiteral("file:///")));
    QTRY_COMPARE(logLines().size(), 1);
    QVERIFY(logLines().at(0).endsWith(QLatin1Char(' ') + url));
    QVERIFY(ReadFile(form.WorkDirectory() + QStringLiteral("/Vexilo.htm")).contains("Preview me"));
    QCOMPARE(QDir::currentPath(), remembered);
    QVERIFY(!Progress::isLoaded());

    form.Preview_Click();
    m_launch = form.browser;
    QTRY_VERIFY(logLines().contains(QStringLiteral("end %1").arg(first)));
    // The support link ends the preview's browser as well.
    const qint64 second = form.browser.browserProcess;
    QTRY_COMPARE(logLines().filter(QStringLiteral("start ")).size(), 2);
    form.browser.LaunchBrowser(form.WorkDirectory() + QStringLiteral("/Vexilo.htm"),
                               QStringLiteral("https://support.example/"), true);
    m_launch = form.browser;
    QTRY_VERIFY(logLines().contains(QStringLiteral("end %1").arg(second)));
}

void TestBrowserLaunch::previewAfterFailedBuild()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    form.SetWorkDirectory(m_env->path(QStringLiteral("no/such/parent/CubeTemp")));
    form.Preview_Click();
    QCOMPARE(MessageSeam::shownMessages(), (QList<int>{22, 21}));
    QCOMPARE(form.browser.browserProcess, 0);
    QVERIFY(!QFile::exists(m_log));
    QVERIFY(!Progress::isLoaded());
}

// The editor's support link opens the help page of the build tree, which
// is laid out as an installation, and ends the last browser as Preview does.
void TestBrowserLaunch::supportLinkOpensTheHelpPage()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    form.Preview_Click();
    const qint64 preview = form.browser.browserProcess;
    QTRY_COMPARE(logLines().size(), 1);
    form.Link_MouseDown();
    m_launch = form.browser;
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    const QString help = qEnvironmentVariable("VEXILO_APP_DIR") + QStringLiteral("/Help/vexilo-help.html");
    QVERIFY(QFile::exists(help));
    const QString expected = QUrl::fromLocalFile(help).toString(QUrl::FullyEncoded);
    QTRY_VERIFY(logLines().contains(QStringLiteral("end %1").arg(preview)));
    QTRY_COMPARE(logLines().filter(QStringLiteral("start ")).size(), 2);
    QVERIFY2(logLines().filter(QStringLiteral("start ")).at(1).endsWith(QLatin1Char(' ') + expected),
             qPrintable(logLines().join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestBrowserLaunch)
#include "tst_browserlaunch.moc"
