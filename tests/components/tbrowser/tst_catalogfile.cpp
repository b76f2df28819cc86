#include "components/tbrowser/CatalogFile.h"
#include "tests/support/FailingDevice.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QBuffer>
#include <QDir>
#include <QTest>

// The catalog file is written whole or not at all.
class TestCatalogFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip();
    void deviceFailureIsReported_data();
    void deviceFailureIsReported();
    void fullDiskKeepsOldCatalog();

private:
    static QList<CatalogPhoto> photos(int count);
};

QList<CatalogPhoto> TestCatalogFile::photos(int count)
{
    QList<CatalogPhoto> list;
    for (int i = 1; i <= count; ++i)
        list.append({"file:///media/cd/PICTURES/" + QByteArray::number(i) + ".JPG",
                     QStringLiteral("thumbs/%1.jpg").arg(i, 5, 10, QLatin1Char('0'))});
    return list;
}

void TestCatalogFile::roundTrip()
{
    TestEnvironment env;
    const QString path = env.path(QStringLiteral("a.sac"));
    QVERIFY(CatalogFile::write(path, photos(3)));
    QCOMPARE(CatalogFile::read(path), photos(3));
}

void TestCatalogFile::deviceFailureIsReported_data()
{
    QTest::addColumn<qint64>("failAfter");
    QBuffer whole;
    whole.open(QIODevice::WriteOnly);
    QVERIFY(CatalogFile::write(whole, photos(3)));
    QTest::newRow("at once") << qint64(0);
    QTest::newRow("in the header") << qint64(10);
    QTest::newRow("one byte short") << whole.size() - 1;
}

void TestCatalogFile::deviceFailureIsReported()
{
    QFETCH(qint64, failAfter);
    FailingDevice device(failAfter);
    device.open(QIODevice::WriteOnly);
    QVERIFY(!CatalogFile::write(device, photos(3)));
}

void TestCatalogFile::fullDiskKeepsOldCatalog()
{
    TestEnvironment env;
    const QString path = env.path(QStringLiteral("a.sac"));
    QVERIFY(CatalogFile::write(path, photos(3)));
    const QByteArray before = ReadFile(path);
    bool written = true;
    {
        FileSizeLimit full(before.size());
        written = CatalogFile::write(path, photos(30));
    }
    QVERIFY(!written);
    QCOMPARE(ReadFile(path), before);
    QCOMPARE(QDir(env.root()).entryList({QStringLiteral("a.sac?*")}, QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestCatalogFile)
#include "tst_catalogfile.moc"
