#include "core/CubeMotion.h"

#include <QTest>

// The preview's cube moves as the page's player moves it.
class TestCubeMotion : public QObject
{
    Q_OBJECT
private slots:
    void turnsByItselfAtItsSpeed();
    void reducedMotionHoldsStill();
    void dragTurnsAndWaitsBeforeTurningAgain();
    void tiltStopsShortOfUpsideDown();
    void arrowKeysTurnFromTheNearestQuarter_data();
    void arrowKeysTurnFromTheNearestQuarter();
};

void TestCubeMotion::turnsByItselfAtItsSpeed()
{
    CubeMotion motion;
    QCOMPARE(motion.attitude().y, CubeAttitude::Showing().y);
    QVERIFY(motion.Moving(0, false));
    motion.Advance(2, 0, false);
    QCOMPARE(motion.attitude().y, CubeAttitude::Showing().y + 2 * CubeMotion::TurnSpeed);
    QCOMPARE(motion.attitude().x, CubeAttitude::Showing().x);
}

void TestCubeMotion::reducedMotionHoldsStill()
{
    CubeMotion motion;
    QVERIFY(!motion.Moving(0, true));
    motion.Advance(5, 0, true);
    QCOMPARE(motion.attitude().y, CubeAttitude::Showing().y);
}

void TestCubeMotion::dragTurnsAndWaitsBeforeTurningAgain()
{
    CubeMotion motion;
    motion.Drag(QPointF(100, 50), 10000);
    QCOMPARE(motion.attitude().y, CubeAttitude::Showing().y + 40);
    QCOMPARE(motion.attitude().x, CubeAttitude::Showing().x - 20);
    motion.Advance(1, 10000 + CubeMotion::IdleMs - 1, false);
    QCOMPARE(motion.attitude().y, CubeAttitude::Showing().y + 40);
    QVERIFY(motion.Moving(10000 + CubeMotion::IdleMs, false));
}

void TestCubeMotion::tiltStopsShortOfUpsideDown()
{
    CubeMotion motion;
    motion.Drag(QPointF(0, -1000), 0);
    QCOMPARE(motion.attitude().x, 89.0);
    motion.Drag(QPointF(0, 2000), 0);
    QCOMPARE(motion.attitude().x, -89.0);
}

void TestCubeMotion::arrowKeysTurnFromTheNearestQuarter_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("up");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    // From the showing attitude (-20, -35): the nearest quarters are 0 and 0.
    QTest::newRow("right") << 1 << 0 << 0.0 << 90.0;
    QTest::newRow("left") << -1 << 0 << 0.0 << -90.0;
    QTest::newRow("up") << 0 << 1 << 89.0 << 0.0;
    QTest::newRow("down") << 0 << -1 << -89.0 << 0.0;
}

void TestCubeMotion::arrowKeysTurnFromTheNearestQuarter()
{
    QFETCH(int, right);
    QFETCH(int, up);
    QFETCH(double, x);
    QFETCH(double, y);
    CubeMotion motion;
    motion.QuarterTurn(right, up, 0);
    QCOMPARE(motion.attitude().x, x);
    QCOMPARE(motion.attitude().y, y);
    QVERIFY(!motion.Moving(CubeMotion::IdleMs - 1, false));
}

QTEST_APPLESS_MAIN(TestCubeMotion)
#include "tst_cubemotion.moc"
