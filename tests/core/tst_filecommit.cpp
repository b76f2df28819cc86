#include "core/FileCommit.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// A scratch file is replaced whole or not at all, and leaves nothing beside it.
class TestFileCommit : public QObject
{
    Q_OBJECT
private slots:
    void replaceScratch_data();
    void replaceScratch();
    void scratchInAMissingFolder();
};

namespace {
QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
} // namespace

void TestFileCommit::replaceScratch_data()
{
    QTest::addColumn<QByteArray>("old"); // empty: no file before
    QTest::addColumn<int>("limit"); // bytes a file may grow to; 0: none
    QTest::addColumn<bool>("replaced");
    QTest::newRow("new file") << QByteArray() << 0 << true;
    QTest::newRow("over an old file") << QByteArray("old page") << 0 << true;
    QTest::newRow("disk full: old file kept") << QByteArray("old page") << 1024 << false;
    QTest::newRow("disk full: no file made") << QByteArray() << 1024 << false;
}

void TestFileCommit::replaceScratch()
{
    QFETCH(QByteArray, old);
    QFETCH(int, limit);
    QFETCH(bool, replaced);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vexilo.htm"));
    if (!old.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    const QByteArray content(4096, 'x');
    std::optional<FileSizeLimit> full;
    if (limit > 0)
        full.emplace(rlim_t(limit));
    const bool done = FileCommit::ReplaceScratch(path, content);
    full.reset();

    QCOMPARE(done, replaced);
    QCOMPARE(Read(path), replaced ? content : old.isEmpty() ? QByteArray("(missing)") : old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             old.isEmpty() && !replaced ? QStringList() : QStringList{"Vexilo.htm"});
    if (!replaced)
        QVERIFY(!FileCommit::LastReason().isEmpty());
}

void TestFileCommit::scratchInAMissingFolder()
{
    QTemporaryDir dir;
    QVERIFY(!FileCommit::ReplaceScratch(dir.filePath(QStringLiteral("gone/Vexilo.htm")), "page"));
    QVERIFY(!FileCommit::LastReason().isEmpty());
}

QTEST_GUILESS_MAIN(TestFileCommit)
#include "tst_filecommit.moc"
