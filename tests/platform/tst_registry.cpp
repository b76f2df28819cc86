#include "platform/registry/RegEdit.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/file.h>

namespace {
const QString kKey = QStringLiteral("Software\\Norvane\\Vexilo");

// Another writer's hold on a hive's lock file.
class OtherWriter
{
public:
    explicit OtherWriter(const QString &lockPath)
        : m_file(lockPath)
    {
        m_held = m_file.open(QIODevice::ReadWrite) && ::flock(m_file.handle(), LOCK_EX | LOCK_NB) == 0;
    }
    bool held() const { return m_held; }

private:
    QFile m_file;
    bool m_held = false;
};
} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT
private slots:
    void readsValuesOfEachType_data();
    void readsValuesOfEachType();
    void roundTripAndDelete();
    void writeCreatesMissingParents();
    void rejectsHandlesOutsidePredefinedRoots();
    void longestReadableValue();
    void classesRootMergesBothHives();
    void corruptHiveReadsEmptyAndIsKept_data();
    void corruptHiveReadsEmptyAndIsKept();
    void failedWriteLeavesOldFile();
    void unwritableFolderFailsSilently();
    void fullDiskKeepsOldHive();
    void escapesSurviveRoundTrip();
    void emptyKeySegmentsAreLeftOut();
    void refusesTextTheFileCannotCarry_data();
    void refusesTextTheFileCannotCarry();
    void emptyOrHeaderlessHiveIsNeverWritten_data();
    void emptyOrHeaderlessHiveIsNeverWritten();
    void abandonedEmptyLockIsTakenOver();
    void lockOfLiveWriterIsRespected();
    void writersAtOnceLoseNothing();
    void fileSizeLimitKeepsOldHive();
    void manyKeysRoundTrip();
    void readsFollowChangesToSettledHives_data();
    void readsFollowChangesToSettledHives();
};

void TestRegistry::readsValuesOfEachType_data()
{
    QTest::addColumn<QByteArray>("hive");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    const QByteArray hive = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Norvane\\Vexilo]\n"
                            "\"SMTPServer\"=\"mail\"\n\"Five\"=dword:00000005\n\"Zero\"=dword:00000000\n"
                            "\"Big\"=dword:000004d2\n@=\"default\"\n";
    QTest::newRow("string") << hive << kKey << "SMTPServer"
                            << "mail";
    QTest::newRow("dword 5 reads 005") << hive << kKey << "Five"
                                       << "005";
    QTest::newRow("dword 0 reads 000") << hive << kKey << "Zero"
                                       << "000";
    QTest::newRow("dword 1234") << hive << kKey << "Big"
                                << "1234";
    QTest::newRow("default value") << hive << kKey << ""
                                   << "default";
    QTest::newRow("key in other case") << hive << "SOFTWARE\\norvane\\VEXILO"
                                       << "smtpserver"
                                       << "mail";
    QTest::newRow("missing value") << hive << kKey << "FromAddress"
                                   << "";
    QTest::newRow("missing key") << hive << "Software\\Nobody"
                                 << "SMTPServer"
                                 << "";
    QTest::newRow("CRLF lines") << QByteArray(hive).replace("\n", "\r\n") << kKey << "SMTPServer"
                                << "mail";
}

void TestRegistry::readsValuesOfEachType()
{
    QFETCH(QByteArray, hive);
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    TestEnvironment env;
    env.writeHive(QStringLiteral("user.reg"), hive);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, key, name), expected);
}

void TestRegistry::roundTripAndDelete()
{
    TestEnvironment env;
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("abc"));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress")), QStringLiteral("abc"));
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QString());
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress")), QString());
    // Deleting a value that is not there is no error, and keeps the key.
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QString());
    QVERIFY(Registry::keyExists(HKEY_CURRENT_USER, kKey));
    QVERIFY(!env.readHive(QStringLiteral("user.reg")).contains("FromAddress"));
}

void TestRegistry::writeCreatesMissingParents()
{
    TestEnvironment env;
    SetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\A\\B\\C"), QStringLiteral("V"),
                      QStringLiteral("x"));
    QVERIFY(Registry::keyExists(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\A")));
    QVERIFY(Registry::keyExists(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\A\\B")));
    QCOMPARE(GetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("software\\a\\b\\c"), QStringLiteral("v")),
             QStringLiteral("x"));
    QVERIFY(env.readHive(QStringLiteral("system.reg")).startsWith("REGEDIT4\n"));
}

void TestRegistry::rejectsHandlesOutsidePredefinedRoots()
{
    TestEnvironment env;
    env.writeHive(QStringLiteral("user.reg"), "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"x\"\n");
    for (HKEY bad : {HKEY(0x7fffffff), HKEY(0x80000007), HKEY(0), HKEY(0xffffffff)}) {
        QCOMPARE(GetRegistryString(bad, QStringLiteral("K"), QStringLiteral("V")), QString());
        SetRegistryString(bad, QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("y"));
    }
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, QStringLiteral("K"), QStringLiteral("V")), QStringLiteral("x"));
}

void TestRegistry::longestReadableValue()
{
    TestEnvironment env;
    const QString fits(254, QLatin1Char('a'));
    const QString tooLong(255, QLatin1Char('a'));
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Fits"), fits);
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Long"), tooLong);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Fits")), fits);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Long")), QString());
}

void TestRegistry::classesRootMergesBothHives()
{
    TestEnvironment env;
    env.writeHive(QStringLiteral("system.reg"),
                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\.htm]\n@=\"machine\"\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Only]\n@=\"m\"\n");
    env.writeHive(QStringLiteral("user.reg"), "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Classes\\.htm]\n@=\"user\"\n");
    QCOMPARE(GetRegistryString(HKEY_CLASSES_ROOT, QStringLiteral(".htm"), QString()), QStringLiteral("user"));
    QCOMPARE(GetRegistryString(HKEY_CLASSES_ROOT, QStringLiteral("Only"), QString()), QStringLiteral("m"));
}

void TestRegistry::corruptHiveReadsEmptyAndIsKept_data()
{
    QTest::addColumn<QByteArray>("hive");
    const QByteArray head = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Norvane\\Vexilo]\n";
    QTest::newRow("garbage") << QByteArray("this is not a hive\n\"x\"=\"y\"\n");
    QTest::newRow("binary bytes") << head + QByteArray("\"A\"=\"\x01\x00\xff\"\n", 10);
    QTest::newRow("unterminated quote") << head + "\"SMTPServer\"=\"mail\n";
    QTest::newRow("value before any key") << QByteArray("REGEDIT4\n\"SMTPServer\"=\"mail\"\n");
    QTest::newRow("bad dword") << head + "\"N\"=dword:xyz\n";
    QTest::newRow("10 MB line") << head + "\"SMTPServer\"=\"" + QByteArray(10 * 1024 * 1024, 'a') + "\"\n";
    QTest::newRow("invalid UTF-8") << head + "\"SMTPServer\"=\"\xc3\x28\"\n";
}

void TestRegistry::corruptHiveReadsEmptyAndIsKept()
{
    QFETCH(QByteArray, hive);
    TestEnvironment env;
    env.writeHive(QStringLiteral("user.reg"), hive);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("SMTPServer")), QString());
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("me@example.org"));
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), hive);
    // The other hive is not affected by this one's damage.
    SetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\X"), QStringLiteral("V"), QStringLiteral("ok"));
    QCOMPARE(GetRegistryString(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\X"), QStringLiteral("V")),
             QStringLiteral("ok"));
}

void TestRegistry::failedWriteLeavesOldFile()
{
    TestEnvironment env;
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("old@example.org"));
    const QByteArray before = env.readHive(QStringLiteral("user.reg"));
    // A lock held by someone else: the write gives up and the file stays whole.
    const OtherWriter other(env.registryDir() + QStringLiteral("/user.reg.lock"));
    QVERIFY(other.held());
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("new@example.org"));
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), before);
}

void TestRegistry::unwritableFolderFailsSilently()
{
    TestEnvironment env;
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("old@example.org"));
    // A registry folder below a plain file can never be created.
    const QString blocker = WriteFile(env.path(QStringLiteral("blocker")), "x");
    qputenv("VEXILO_REGISTRY_DIR", (blocker + QStringLiteral("/registry")).toUtf8());
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("new@example.org"));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress")), QString());
    qputenv("VEXILO_REGISTRY_DIR", env.registryDir().toUtf8());
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress")),
             QStringLiteral("old@example.org"));
}

void TestRegistry::fullDiskKeepsOldHive()
{
    TestEnvironment env;
    SmallDisk disk(env.path(QStringLiteral("disk")), 64);
    if (!disk.isMounted())
        QSKIP("no tmpfs can be mounted here");
    qputenv("VEXILO_REGISTRY_DIR", disk.path().toUtf8());
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("old@example.org"));
    disk.fill();
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QString(200, QLatin1Char('n')));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress")),
             QStringLiteral("old@example.org"));
    qputenv("VEXILO_REGISTRY_DIR", env.registryDir().toUtf8());
}

void TestRegistry::escapesSurviveRoundTrip()
{
    TestEnvironment env;
    const QString tricky = QStringLiteral("C:\\Path with \"quotes\" \u00e9\u00e8 and = [brackets]");
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Odd \"name\""), tricky);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Odd \"name\"")), tricky);
    QVERIFY(env.readHive(QStringLiteral("user.reg")).contains("C:\\\\Path with \\\"quotes\\\""));
}

void TestRegistry::emptyKeySegmentsAreLeftOut()
{
    TestEnvironment env;
    QVERIFY(WriteRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\\\Norvane\\"), QStringLiteral("N"),
                                QStringLiteral("v")));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\Norvane"), QStringLiteral("N")),
             QStringLiteral("v"));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\\\Norvane"), QStringLiteral("N")),
             QStringLiteral("v"));
}

void TestRegistry::refusesTextTheFileCannotCarry_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("line feed in key") << QStringLiteral("Software\\X\nY") << QStringLiteral("n") << QStringLiteral("v");
    QTest::newRow("carriage return in key")
        << QStringLiteral("Software\\X\rY") << QStringLiteral("n") << QStringLiteral("v");
    QTest::newRow("NUL in key") << QStringLiteral("Software\\X") + QChar(0) + QStringLiteral("Y") << QStringLiteral("n")
                                << QStringLiteral("v");
    QTest::newRow("blank at key end") << QStringLiteral("Software\\X ") << QStringLiteral("n") << QStringLiteral("v");
    QTest::newRow("NUL in name") << QStringLiteral("Software\\X") << QStringLiteral("a") + QChar(0)
                                 << QStringLiteral("v");
    QTest::newRow("NUL in value") << QStringLiteral("Software\\X") << QStringLiteral("n")
                                  << QStringLiteral("v") + QChar(0) + QStringLiteral("w");
}

void TestRegistry::refusesTextTheFileCannotCarry()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QString, value);
    TestEnvironment env;
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("me@example.org"));
    const QByteArray before = env.readHive(QStringLiteral("user.reg"));
    QVERIFY(!WriteRegistryString(HKEY_CURRENT_USER, key, name, value));
    QVERIFY(!Registry::lastError().isEmpty());
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), before);
    // The hive stays readable and writable.
    QVERIFY(WriteRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("SMTPServer"), QStringLiteral("mail")));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress")),
             QStringLiteral("me@example.org"));
}

void TestRegistry::emptyOrHeaderlessHiveIsNeverWritten_data()
{
    QTest::addColumn<QByteArray>("hive");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blank lines") << QByteArray("\n\r\n  \n");
    QTest::newRow("no header") << QByteArray(
        "[HKEY_CURRENT_USER\\Software\\Norvane\\Vexilo]\n\"SMTPServer\"=\"mail\"\n");
}

void TestRegistry::emptyOrHeaderlessHiveIsNeverWritten()
{
    QFETCH(QByteArray, hive);
    TestEnvironment env;
    env.writeHive(QStringLiteral("user.reg"), hive);
    QVERIFY(
        !WriteRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("me@example.org")));
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), hive);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("SMTPServer")), QString());
}

void TestRegistry::abandonedEmptyLockIsTakenOver()
{
    TestEnvironment env;
    // A writer killed between creating its lock and writing into it.
    WriteFile(env.registryDir() + QStringLiteral("/user.reg.lock"), QByteArray());
    QVERIFY(
        WriteRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("me@example.org")));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress")),
             QStringLiteral("me@example.org"));
}

void TestRegistry::lockOfLiveWriterIsRespected()
{
    TestEnvironment env;
    const OtherWriter other(env.registryDir() + QStringLiteral("/user.reg.lock"));
    QVERIFY(other.held());
    QVERIFY(
        !WriteRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"), QStringLiteral("me@example.org")));
    QVERIFY(Registry::lastError().contains(QStringLiteral("locked")));
}

namespace {
constexpr int WritesEach = 150;
const char *const WriterVariable = "TST_REGISTRY_WRITER";
const QStringList WriterNames = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};

// A writer process: WritesEach values of its own, one write at a time.
int WriteValues(const QString &writer)
{
    for (int i = 0; i < WritesEach; ++i)
        if (!WriteRegistryString(HKEY_CURRENT_USER, kKey, writer + QString::number(i), QString::number(i)))
            return 1;
    return 0;
}
} // namespace

// Writers in processes of their own, at once: every value each wrote is
// there afterwards, and none was refused.
void TestRegistry::writersAtOnceLoseNothing()
{
    TestEnvironment env;
    QList<QProcess *> writers;
    for (const QString &name : WriterNames) {
        auto *writer = new QProcess(this);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(WriterVariable), name);
        environment.insert(QStringLiteral("VEXILO_REGISTRY_DIR"), env.registryDir());
        writer->setProcessEnvironment(environment);
        writer->start(QCoreApplication::applicationFilePath(), {});
        writers << writer;
    }
    for (QProcess *writer : writers) {
        QVERIFY(writer->waitForFinished(120000));
        QCOMPARE(writer->exitCode(), 0);
    }
    for (const QString &name : WriterNames)
        for (int i = 0; i < WritesEach; ++i)
            QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, name + QString::number(i)), QString::number(i));
}

void TestRegistry::fileSizeLimitKeepsOldHive()
{
    TestEnvironment env;
    for (int i = 0; i < 20; ++i)
        SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Value%1").arg(i), QStringLiteral("text %1").arg(i));
    const QByteArray before = env.readHive(QStringLiteral("user.reg"));
    bool written = true;
    {
        // No file may grow beyond a few hundred bytes: the new hive cannot be written whole.
        FileSizeLimit full(before.size() / 2);
        written = WriteRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("Value0"), QStringLiteral("changed"));
    }
    QVERIFY(!written);
    QVERIFY(!Registry::lastError().isEmpty());
    QCOMPARE(env.readHive(QStringLiteral("user.reg")), before);
    // No temporary file is left behind; the lock file stays for the next writer.
    QCOMPARE(QDir(env.registryDir()).entryList({QStringLiteral("user.reg?*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("user.reg.lock")});
}

void TestRegistry::manyKeysRoundTrip()
{
    RegistryHive hive;
    for (int i = 0; i < 2000; ++i) {
        RegistryValue value;
        value.name = QStringLiteral("V");
        value.text = QString::number(i);
        hive.setValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\K%1").arg(i), value);
    }
    RegistryHive again;
    QVERIFY(again.parse(hive.serialize()));
    QCOMPARE(again.subKeys(QStringLiteral("HKEY_CURRENT_USER\\software")).size(), 2000);
    QCOMPARE(again.value(QStringLiteral("hkey_current_user\\SOFTWARE\\k1234"), QStringLiteral("v"))->text,
             QStringLiteral("1234"));
    QVERIFY(again.deleteKeyTree(QStringLiteral("HKEY_CURRENT_USER\\Software\\K7")));
    QVERIFY(!again.keyExists(QStringLiteral("HKEY_CURRENT_USER\\Software\\K7")));
    QCOMPARE(again.value(QStringLiteral("HKEY_CURRENT_USER\\Software\\K8"), QStringLiteral("V"))->text,
             QStringLiteral("8"));
}

// Reads of a hive that has not changed for a while are served from the
// parsed copy; every way the file can change afterwards is still seen.
void TestRegistry::readsFollowChangesToSettledHives_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("rewritten by this process") << "write";
    QTest::newRow("rewritten by another program") << "vexilo-cube";
    QTest::newRow("edited in place, same size") << "in place";
}

void TestRegistry::readsFollowChangesToSettledHives()
{
    QFETCH(QString, change);
    TestEnvironment env;
    const QString file = env.registryDir() + QStringLiteral("/user.reg");
    env.writeHive(QStringLiteral("user.reg"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Norvane\\Vexilo]\n"
                                              "\"SMTPServer\"=\"aaaa\"\n");
    QFile settled(file);
    QVERIFY(settled.open(QIODevice::ReadWrite));
    QVERIFY(settled.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    settled.close();
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("SMTPServer")), QStringLiteral("aaaa"));
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("SMTPServer")), QStringLiteral("aaaa"));

    if (change == QLatin1String("write")) {
        SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("SMTPServer"), QStringLiteral("bbbb"));
    } else if (change == QLatin1String("vexilo-cube")) {
        QCOMPARE(QProcess::execute(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"),
                                   {QStringLiteral("reg"), QStringLiteral("set"), QStringLiteral("HKCU"), kKey,
                                    QStringLiteral("SMTPServer"), QStringLiteral("bbbb")}),
                 0);
    } else {
        QVERIFY(settled.open(QIODevice::ReadWrite));
        QByteArray text = settled.readAll();
        settled.seek(0);
        settled.write(text.replace("aaaa", "bbbb"));
        settled.close();
    }
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("SMTPServer")), QStringLiteral("bbbb"));
}

int main(int argc, char **argv)
{
    if (const QString writer = qEnvironmentVariable(WriterVariable); !writer.isEmpty())
        return WriteValues(writer);
    QCoreApplication app(argc, argv);
    TestRegistry test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_registry.moc"
