#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QProcess>
#include <cerrno>
#include <QTest>

// vexilo-cube reg, run as a user runs it.
class TestRegCommand : public QObject
{
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void setThenGetThenDelete();
    void emptyKeySegmentIsLeftOut();
    void failedWritesExitOne_data();
    void failedWritesExitOne();
    void fullDiskExitsOneAndKeepsHive();

private:
    static QProcess *run(const QStringList &args);
};

QProcess *TestRegCommand::run(const QStringList &args)
{
    auto *p = new QProcess;
    p->start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), args);
    p->waitForFinished(10000);
    return p;
}

void TestRegCommand::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("missing value reads empty line")
        << QStringList{"reg", "get", "HKCU", "Software\\X", "V"} << 0 << QByteArray("\n");
    QTest::newRow("no arguments") << QStringList{"reg"} << 2 << QByteArray();
    QTest::newRow("unknown verb") << QStringList{"reg", "list", "HKCU", "K", "V"} << 2 << QByteArray();
    QTest::newRow("unknown hive") << QStringList{"reg", "get", "HKEY_NOWHERE", "K", "V"} << 2 << QByteArray();
    QTest::newRow("set without value") << QStringList{"reg", "set", "HKLM", "K", "V"} << 2 << QByteArray();
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << QByteArray();
}

void TestRegCommand::commands()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    TestEnvironment env;
    QScopedPointer<QProcess> p(run(args));
    QCOMPARE(p->exitCode(), exitCode);
    QCOMPARE(p->readAllStandardOutput(), out);
    if (exitCode == 2)
        QVERIFY(p->readAllStandardError().contains("--help' for more information."));
}

void TestRegCommand::setThenGetThenDelete()
{
    TestEnvironment env;
    const QString key = QStringLiteral("Software\\Adobe\\Kodak Picture CD\\Setup");
    QScopedPointer<QProcess> set(run({"reg", "set", "HKEY_LOCAL_MACHINE", key, "CatalogPath", "/media/cd catalogs/"}));
    QCOMPARE(set->exitCode(), 0);
    QScopedPointer<QProcess> get(run({"reg", "get", "HKLM", key, "catalogpath"}));
    QCOMPARE(get->readAllStandardOutput(), QByteArray("/media/cd catalogs/\n"));
    // A value of any length reads back whole.
    const QString longPath = QStringLiteral("/media/") + QString(400, QLatin1Char('p'));
    QScopedPointer<QProcess> setLong(run({"reg", "set", "HKLM", key, "CatalogPath", longPath}));
    QCOMPARE(setLong->exitCode(), 0);
    QScopedPointer<QProcess> getLong(run({"reg", "get", "HKLM", key, "CatalogPath"}));
    QCOMPARE(getLong->readAllStandardOutput(), longPath.toUtf8() + '\n');
    QScopedPointer<QProcess> del(run({"reg", "delete", "HKLM", key, "CatalogPath"}));
    QCOMPARE(del->exitCode(), 0);
    QScopedPointer<QProcess> again(run({"reg", "get", "HKLM", key, "CatalogPath"}));
    QCOMPARE(again->readAllStandardOutput(), QByteArray("\n"));
}

void TestRegCommand::emptyKeySegmentIsLeftOut()
{
    TestEnvironment env;
    QScopedPointer<QProcess> set(run({"reg", "set", "HKCU", "Software\\\\Norvane", "N", "v"}));
    QCOMPARE(set->exitStatus(), QProcess::NormalExit);
    QCOMPARE(set->exitCode(), 0);
    QScopedPointer<QProcess> get(run({"reg", "get", "HKCU", "Software\\Norvane", "N"}));
    QCOMPARE(get->readAllStandardOutput(), QByteArray("v\n"));
}

void TestRegCommand::failedWritesExitOne_data()
{
    QTest::addColumn<QByteArray>("hive");
    QTest::addColumn<QStringList>("args");
    const QByteArray good = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\X]\n\"n\"=\"old\"\n";
    QTest::newRow("line feed in key") << good << QStringList{"reg", "set", "HKCU", "Software\\X\nY", "n", "v"};
    QTest::newRow("headerless hive") << QByteArray("[HKEY_CURRENT_USER\\Software\\X]\n") << QStringList{"reg", "set", "HKCU", "Software\\X", "n", "v"};
    QTest::newRow("empty hive, delete") << QByteArray() << QStringList{"reg", "delete", "HKCU", "Software\\X", "n"};
}

void TestRegCommand::failedWritesExitOne()
{
    QFETCH(QByteArray, hive);
    QFETCH(QStringList, args);
    TestEnvironment env;
    env.writeHive(QStringLiteral("user.reg"), hive);
    QScopedPointer<QProcess> p(run(args));
    QCOMPARE(p->exitCode(), 1);
    QVERIFY(p->readAllStandardError().contains("reg: "));
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), hive);
}

void TestRegCommand::fullDiskExitsOneAndKeepsHive()
{
    TestEnvironment env;
    QByteArray hive = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\X]\n";
    for (int i = 0; i < 20; ++i)
        hive += "\"Value" + QByteArray::number(i) + "\"=\"some text\"\n";
    env.writeHive(QStringLiteral("user.reg"), hive);
    QScopedPointer<QProcess> p;
    {
        FileSizeLimit full(hive.size() / 2);
        p.reset(run({"reg", "set", "HKCU", "Software\\X", "Value0", "changed"}));
    }
    QCOMPARE(p->exitCode(), 1);
    QVERIFY(p->readAllStandardError().endsWith(QByteArray("reg: ") + qt_error_string(EFBIG).toUtf8() + '\n'));
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), hive);
}

QTEST_GUILESS_MAIN(TestRegCommand)
#include "tst_regcommand.moc"
