#include "platform/DesktopMotion.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QTest>

// The desktop's wish for reduced motion, from GNOME's setting and KDE's file.
class TestDesktopMotion : public QObject
{
    Q_OBJECT
private slots:
    void reducedBy_data();
    void reducedBy();
};

void TestDesktopMotion::reducedBy_data()
{
    QTest::addColumn<QByteArray>("kdeGlobals"); // empty: no file
    QTest::addColumn<QString>("gnome");
    QTest::addColumn<bool>("reduced");
    QTest::newRow("nothing set") << QByteArray() << QString() << false;
    QTest::newRow("gnome animations on") << QByteArray() << "true" << false;
    QTest::newRow("gnome animations off") << QByteArray() << "false" << true;
    QTest::newRow("kde instant") << QByteArray("[KDE]\nAnimationDurationFactor=0\n") << QString() << true;
    QTest::newRow("kde slower") << QByteArray("[KDE]\nAnimationDurationFactor=2\n") << QString() << false;
    QTest::newRow("kde without the key") << QByteArray("[General]\nColorScheme=Breeze\n") << "true" << false;
    QTest::newRow("kde damaged") << QByteArray("\x01\x02 not ini") << QString() << false;
}

void TestDesktopMotion::reducedBy()
{
    QFETCH(QByteArray, kdeGlobals);
    QFETCH(QString, gnome);
    QFETCH(bool, reduced);
    TestEnvironment env;
    const QString file = kdeGlobals.isEmpty() ? QString() : WriteFile(env.path("kdeglobals"), kdeGlobals);
    QCOMPARE(DesktopMotion::ReducedBy(file, gnome), reduced);
}

QTEST_GUILESS_MAIN(TestDesktopMotion)
#include "tst_desktopmotion.moc"
