#include "platform/CdromDrives.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

// The CD-ROM drives: disc mounts of the mounts table, then $VEXILO_CDROM_ROOTS.
class TestCdromDrives : public QObject
{
    Q_OBJECT
private slots:
    void discMountPoints_data();
    void discMountPoints();
    void rootsEndWithConfiguredFolders();
};

void TestCdromDrives::discMountPoints_data()
{
    QTest::addColumn<QByteArray>("mounts");
    QTest::addColumn<QStringList>("points");
    QTest::newRow("none") << QByteArray("/dev/sda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\n") << QStringList();
    QTest::newRow("iso9660 and udf, sorted")
        << QByteArray("/dev/sr1 /media/z udf ro 0 0\n/dev/sda1 / ext4 rw 0 0\n/dev/sr0 /media/a iso9660 ro 0 0\n")
        << QStringList{"/media/a", "/media/z"};
    QTest::newRow("escaped blank") << QByteArray("/dev/sr0 /media/Picture\\040CD iso9660 ro 0 0\n")
                                   << QStringList{"/media/Picture CD"};
    QTest::newRow("short and empty lines") << QByteArray("\n\n/dev/sr0\n   \n") << QStringList();
    QTest::newRow("lone backslash kept") << QByteArray("/dev/sr0 /media/a\\b iso9660 ro 0 0\n")
                                         << QStringList{"/media/a\\b"};
}

void TestCdromDrives::discMountPoints()
{
    QFETCH(QByteArray, mounts);
    QFETCH(QStringList, points);
    QCOMPARE(CdromDrives::discMountPoints(mounts), points);
}

void TestCdromDrives::rootsEndWithConfiguredFolders()
{
    TestEnvironment env;
    qputenv("VEXILO_CDROM_ROOTS", "/tmp/disc b::/tmp/disc a");
    const QStringList roots = CdromDrives::roots();
    QVERIFY(roots.size() >= 2);
    QCOMPARE(roots.mid(roots.size() - 2), (QStringList{"/tmp/disc b", "/tmp/disc a"}));
}

QTEST_GUILESS_MAIN(TestCdromDrives)
#include "tst_cdromdrives.moc"
