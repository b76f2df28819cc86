#include "publish/CubeWorkFolder.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

// The work folders of cubes built without the editor, under TMPDIR.
class TestCubeWorkFolder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void goesWithItsOwner();
    void folderOfAKilledProcessIsRemovedByTheNext();
    void folderOfALiveOwnerIsKept();

private:
    QStringList workFolders() const;

    TestEnvironment *m_env = nullptr;
    QString m_temp;
    QByteArray m_savedTemp;
};

void TestCubeWorkFolder::init()
{
    m_env = new TestEnvironment;
    m_temp = m_env->path(QStringLiteral("tmp"));
    QDir().mkpath(m_temp);
    m_savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_temp));
}

void TestCubeWorkFolder::cleanup()
{
    qputenv("TMPDIR", m_savedTemp);
    delete m_env;
}

QStringList TestCubeWorkFolder::workFolders() const
{
    return QDir(m_temp).entryList({QStringLiteral("vexilo-cube-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

void TestCubeWorkFolder::goesWithItsOwner()
{
    {
        const CubeWorkFolder folder;
        QVERIFY(folder.isValid());
        QVERIFY(folder.path().startsWith(m_temp + QStringLiteral("/vexilo-cube-")));
        QCOMPARE(workFolders().size(), 1);
    }
    QCOMPARE(workFolders(), QStringList());
}

// vexilo-cube send, stopped for good while it waits for a server that never
// answers, is killed with its work folder in place.
void TestCubeWorkFolder::folderOfAKilledProcessIsRemovedByTheNext()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QProcess sender;
    sender.start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"),
                 {QStringLiteral("send"), QStringLiteral("--to"), QStringLiteral("a@example.com"),
                  QStringLiteral("--from"), QStringLiteral("me@example.org"), QStringLiteral("--server"),
                  QStringLiteral("127.0.0.1:%1").arg(silent.serverPort())});
    QVERIFY(silent.waitForNewConnection(60000));
    QCOMPARE(workFolders().size(), 1);
    sender.kill();
    sender.waitForFinished();
    QCOMPARE(workFolders().size(), 1);

    const CubeWorkFolder next;
    QCOMPARE(workFolders(), QStringList{QFileInfo(next.path()).fileName()});
}

void TestCubeWorkFolder::folderOfALiveOwnerIsKept()
{
    const CubeWorkFolder first;
    const CubeWorkFolder second;
    QCOMPARE(workFolders().size(), 2);
    QVERIFY(QFileInfo::exists(first.path()));
}

QTEST_GUILESS_MAIN(TestCubeWorkFolder)
#include "tst_cubeworkfolder.moc"
