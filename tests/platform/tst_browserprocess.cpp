#include "platform/BrowserProcess.h"

#include <QFile>
#include <QTest>

#include <csignal>
#include <unistd.h>

// Browser processes the program starts: reaped when they exit, and ended
// only while they are still the process that was started.
class TestBrowserProcess : public QObject
{
    Q_OBJECT
private slots:
    void exitedBrowserIsReaped_data();
    void exitedBrowserIsReaped();
    void terminateEndsRunningBrowser();
    void foreignProcessesAreNeverEnded_data();
    void foreignProcessesAreNeverEnded();

private:
    static qint64 Start(const QString &script);
    // "Z" for a zombie; empty once the process is gone.
    static QByteArray State(qint64 pid);
};

qint64 TestBrowserProcess::Start(const QString &script)
{
    const BrowserCommand shell{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}};
    return BrowserProcess::Start(shell, QStringLiteral("file:///page.htm"), QStringLiteral("/usr/bin:/bin"));
}

QByteArray TestBrowserProcess::State(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1);
}

void TestBrowserProcess::exitedBrowserIsReaped_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("signal");
    QTest::newRow("browser quits") << "exit 0" << 0;
    QTest::newRow("browser fails") << "exit 3" << 0;
    QTest::newRow("browser killed by someone else") << "exec sleep 30" << int(SIGKILL);
}

void TestBrowserProcess::exitedBrowserIsReaped()
{
    QFETCH(QString, script);
    QFETCH(int, signal);
    const qint64 pid = Start(script);
    QVERIFY(pid > 0);
    if (signal)
        ::kill(pid_t(pid), signal);
    // Nothing asks about the process: the event loop alone reaps it.
    QTRY_COMPARE(State(pid), QByteArray());
    QVERIFY(!BrowserProcess::IsRunning(pid));
    QVERIFY(!BrowserProcess::Terminate(pid));
}

void TestBrowserProcess::terminateEndsRunningBrowser()
{
    const qint64 pid = Start(QStringLiteral("exec sleep 30"));
    QVERIFY(BrowserProcess::IsRunning(pid));
    QVERIFY(State(pid) != "Z");
    QVERIFY(BrowserProcess::Terminate(pid));
    QTRY_COMPARE(State(pid), QByteArray());
    QVERIFY(!BrowserProcess::IsRunning(pid));
}

void TestBrowserProcess::foreignProcessesAreNeverEnded_data()
{
    QTest::addColumn<qint64>("pid");
    QTest::newRow("this process") << qint64(getpid());
    QTest::newRow("init") << qint64(1);
    QTest::newRow("no process") << qint64(0);
    QTest::newRow("process group") << qint64(-getpgrp());
}

void TestBrowserProcess::foreignProcessesAreNeverEnded()
{
    QFETCH(qint64, pid);
    QVERIFY(!BrowserProcess::IsRunning(pid));
    QVERIFY(!BrowserProcess::Terminate(pid));
}

QTEST_GUILESS_MAIN(TestBrowserProcess)
#include "tst_browserprocess.moc"
