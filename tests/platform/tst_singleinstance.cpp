#include "platform/SingleInstance.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

// Two real program processes sharing one registry folder.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondStartActivatesFirstAndEnds();
    void secondStartHandsOverItsDocument_data();
    void secondStartHandsOverItsDocument();

private:
    static bool waitForServer(const QString &name, int timeoutMs);
};

bool TestSingleInstance::waitForServer(const QString &name, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(100))
            return true;
        QTest::qWait(50);
    }
    return false;
}

void TestSingleInstance::secondStartActivatesFirstAndEnds()
{
    TestEnvironment env;
    const QString program = TestEnvironment::appDir() + QStringLiteral("/vexilo");
    QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
    penv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess first;
    first.setProcessEnvironment(penv);
    first.start(program, {});
    QVERIFY(first.waitForStarted());
    QVERIFY2(waitForServer(SingleInstance::serverName(), 10000), "first instance never listened");

    const QString work = env.path(QStringLiteral("home/.cache/vexilo/CubeTemp"));
    QTRY_VERIFY_WITH_TIMEOUT(QDir(work).exists(), 5000);

    QProcess second;
    second.setProcessEnvironment(penv);
    QElapsedTimer timer;
    timer.start();
    second.start(program, {});
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(first.state(), QProcess::Running);

    // SIGTERM closes the frame as its close box does: the work directory goes.
    first.terminate();
    QVERIFY(first.waitForFinished(5000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QVERIFY(!QDir(work).exists());
}

void TestSingleInstance::secondStartHandsOverItsDocument_data()
{
    QTest::addColumn<QString>("document");
    QTest::newRow("none") << QString();
    QTest::newRow("plain") << QStringLiteral("/home/ann/cube.vexilo");
    QTest::newRow("blanks, accents, a line break") << QStringLiteral("/home/ann/Sommer Ferien ü\nzwei.vexilo");
}

void TestSingleInstance::secondStartHandsOverItsDocument()
{
    QFETCH(QString, document);
    TestEnvironment env;
    SingleInstance first;
    QVERIFY(first.listen());
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    QSignalSpy opened(&first, &SingleInstance::openRequested);
    QVERIFY(SingleInstance().activateRunningInstance(document));
    QTRY_COMPARE(activated.size(), 1);
    if (document.isEmpty()) {
        QTest::qWait(100);
        QCOMPARE(opened.size(), 0);
    } else {
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), document);
    }
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
