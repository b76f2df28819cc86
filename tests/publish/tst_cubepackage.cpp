#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "publish/CubePackage.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

bool UnzipTests(const QString &archive)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive});
    return unzip.waitForFinished(60000) && unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
}

} // namespace

class TestCubePackage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void packsTheListedFiles();
    void secondBuildReplacesFirst();
    void missingLibraryShowsMessage();
    void builderFailureShowsMessage_data();
    void builderFailureShowsMessage();

private:
    QString workFile(const QString &name) const { return AppPaths::join(m_work, name); }
    QString makeTargets();

    std::unique_ptr<TestEnvironment> m_env;
    QString m_work;
};

void TestCubePackage::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_work = m_env->path(QStringLiteral("Cube Temp ü"));
    QDir().mkpath(m_work);
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
}

void TestCubePackage::cleanup()
{
    QDir::setCurrent(QDir::tempPath());
    m_env.reset();
}

QString TestCubePackage::makeTargets()
{
    QStringList targets;
    for (const QString &name :
         {QStringLiteral("Vexilo.htm"), QStringLiteral("cubefold.jpg"), QStringLiteral("image1.jpg")})
        targets << WriteFile(workFile(name), "content of " + name.toUtf8());
    return targets.join(QLatin1Char('|'));
}

void TestCubePackage::packsTheListedFiles()
{
    const QString targets = makeTargets();
    WriteFile(workFile(QStringLiteral("thumb1.jpg")), "made later, not listed");
    const QString current = QDir::currentPath();
    QVERIFY(BuildCubeExe(m_work, targets));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QCOMPARE(QDir::currentPath(), current);

    const QString package = workFile(QStringLiteral("Cube.exe"));
    QVERIFY(UnzipTests(package));
    QProcess list;
    list.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), package});
    QVERIFY(list.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             QStringList({QStringLiteral("Vexilo.htm"), QStringLiteral("cubefold.jpg"), QStringLiteral("image1.jpg")}));
}

void TestCubePackage::secondBuildReplacesFirst()
{
    const QString targets = makeTargets();
    QVERIFY(BuildCubeExe(m_work, targets));
    const QByteArray first = ReadFile(workFile(QStringLiteral("Cube.exe")));
    WriteFile(workFile(QStringLiteral("Vexilo.htm")), "a new page, longer than the first one");
    QVERIFY(BuildCubeExe(m_work, targets));
    const QByteArray second = ReadFile(workFile(QStringLiteral("Cube.exe")));
    QVERIFY(second != first);
    QVERIFY(second.contains("a new page, longer than the first one"));
    QCOMPARE(QDir(m_work).entryList(QDir::Files).size(), 4);
}

// Without the library there is no package: the command is told so and stops.
void TestCubePackage::missingLibraryShowsMessage()
{
    const QString emptyProgramDir = m_env->path(QStringLiteral("program"));
    QDir().mkpath(emptyProgramDir);
    AppPaths::setProgramDirectory(emptyProgramDir);
    QVERIFY(!BuildCubeExe(m_work, makeTargets()));
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{Msg::UnableToCreateFiles});
    QVERIFY(!QFileInfo::exists(workFile(QStringLiteral("Cube.exe"))));

    AppPaths::setProgramDirectory(TestEnvironment::appDir());
    QVERIFY(BuildCubeExe(m_work, makeTargets()));
}

void TestCubePackage::builderFailureShowsMessage_data()
{
    QTest::addColumn<bool>("emptyList");
    QTest::newRow("file gone since the list was made") << false;
    QTest::newRow("empty list") << true;
}

void TestCubePackage::builderFailureShowsMessage()
{
    QFETCH(bool, emptyList);
    QString targets = makeTargets();
    QFile::remove(workFile(QStringLiteral("cubefold.jpg")));
    if (emptyList)
        targets.clear();
    QVERIFY(!BuildCubeExe(m_work, targets));
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{Msg::UnableToCreateFiles});
    QVERIFY(!QFileInfo::exists(workFile(QStringLiteral("Cube.exe"))));
}

QTEST_MAIN(TestCubePackage)
#include "tst_cubepackage.moc"
