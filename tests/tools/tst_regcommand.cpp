#include "tests/support/TestEnvironment.h"

#include <QProcess>
#include <QTest>

// vexilo-cube reg, run as a user runs it.
class TestRegCommand : public QObject
{
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void setThenGetThenDelete();

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
        QVERIFY(p->readAllStandardError().contains("usage: vexilo-cube"));
}

void TestRegCommand::setThenGetThenDelete()
{
    TestEnvironment env;
    const QString key = QStringLiteral("Software\\Adobe\\Kodak Picture CD\\Setup");
    QScopedPointer<QProcess> set(run({"reg", "set", "HKEY_LOCAL_MACHINE", key, "CatalogPath", "/media/cd catalogs/"}));
    QCOMPARE(set->exitCode(), 0);
    QScopedPointer<QProcess> get(run({"reg", "get", "HKLM", key, "catalogpath"}));
    QCOMPARE(get->readAllStandardOutput(), QByteArray("/media/cd catalogs/\n"));
    QScopedPointer<QProcess> del(run({"reg", "delete", "HKLM", key, "CatalogPath"}));
    QCOMPARE(del->exitCode(), 0);
    QScopedPointer<QProcess> again(run({"reg", "get", "HKLM", key, "CatalogPath"}));
    QCOMPARE(again->readAllStandardOutput(), QByteArray("\n"));
}

QTEST_GUILESS_MAIN(TestRegCommand)
#include "tst_regcommand.moc"
