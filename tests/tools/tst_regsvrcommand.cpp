#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTest>

// vexilo-cube regsvr, run as an installer runs it.
class TestRegsvrCommand : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_env.reset(); }

    void registersAndUnregisters();
    void failuresReportTheCode_data();
    void failuresReportTheCode();
    void usage();

private:
    static QProcess *Run(const QStringList &args);
    QString library() const { return TestEnvironment::appDir() + QStringLiteral("/libPressola.so"); }
    QScopedPointer<TestEnvironment> m_env;
};

void TestRegsvrCommand::init()
{
    m_env.reset(new TestEnvironment);
    QFile::remove(m_env->registryDir() + QStringLiteral("/system.reg"));
}

QProcess *TestRegsvrCommand::Run(const QStringList &args)
{
    auto *p = new QProcess;
    p->start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), QStringList{QStringLiteral("regsvr")} + args);
    p->waitForFinished(20000);
    return p;
}

void TestRegsvrCommand::registersAndUnregisters()
{
    QScopedPointer<QProcess> reg(Run({library()}));
    QCOMPARE(reg->exitCode(), 0);
    const QByteArray hive = m_env->readHive(QStringLiteral("system.reg"));
    QVERIFY(hive.contains("[HKEY_LOCAL_MACHINE\\Software\\Classes\\PRESSOLA.PressolaCtrl.1\\CLSID]"));
    QVERIFY(hive.contains("@=\"" + library().toUtf8() + "\""));
    QScopedPointer<QProcess> unreg(Run({QStringLiteral("--unregister"), library()}));
    QCOMPARE(unreg->exitCode(), 0);
    QVERIFY(!m_env->readHive(QStringLiteral("system.reg")).contains("PRESSOLA"));
}

void TestRegsvrCommand::failuresReportTheCode_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("unregister what is not registered")
        << QStringList{"--unregister", "LIB"} << QByteArray("0x80040200");
    QTest::newRow("not a library") << QStringList{"NOLIB"} << QByteArray("could not be loaded");
    QTest::newRow("library without entry point")
        << QStringList{"QTLIB"} << QByteArray("has no entry point DllRegisterServer");
}

void TestRegsvrCommand::failuresReportTheCode()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    const QString notLibrary = WriteFile(m_env->path(QStringLiteral("text.so")), "text");
    args.replaceInStrings(QStringLiteral("NOLIB"), notLibrary);
    args.replaceInStrings(QStringLiteral("QTLIB"),
                          QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6"));
    args.replaceInStrings(QStringLiteral("LIB"), library());
    QScopedPointer<QProcess> p(Run(args));
    QCOMPARE(p->exitCode(), 1);
    QVERIFY2(p->readAllStandardError().contains(message), message);
}

void TestRegsvrCommand::usage()
{
    QScopedPointer<QProcess> p(Run({}));
    QCOMPARE(p->exitCode(), 2);
    QVERIFY(p->readAllStandardError().contains("usage: vexilo-cube regsvr [--unregister] LIBRARY"));
}

QTEST_GUILESS_MAIN(TestRegsvrCommand)
#include "tst_regsvrcommand.moc"
