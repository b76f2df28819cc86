#include "publish/Progress.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void loadsWithTitleAndNoSteps();
    void showsHighestStepMadeVisible();
    void unloadDiscardsState();
};

void TestProgress::loadsWithTitleAndNoSteps()
{
    TestEnvironment env;
    Progress *window = Progress::instance();
    QCOMPARE(window->windowTitle(), QStringLiteral("Cube Progress"));
    QCOMPARE(window->visibleStep(), -1);
    QCOMPARE(window->size(), QSize(300, 42));
    Progress::unload();
}

void TestProgress::showsHighestStepMadeVisible()
{
    TestEnvironment env;
    Progress *window = Progress::instance();
    window->showCentred();
    window->showStep(0);
    window->setStatus(QStringLiteral("Initializing..."));
    window->showStep(3);
    // A step made visible after a higher one still lies below it.
    window->showStep(1);
    QCOMPARE(window->visibleStep(), 3);
    window->showStep(11);
    window->showStep(-1);
    QCOMPARE(window->visibleStep(), 3);
    // Three tenths filled shows the fifth blue block, where one tenth
    // would not.
    const QImage shot = window->grab().toImage();
    const QColor quarter = shot.pixelColor(60, 29);
    QVERIFY2(quarter.blue() > 120 && quarter.red() < 100, qPrintable(quarter.name()));
    QCOMPARE(window->statusText(), QStringLiteral("Initializing..."));
    window->hideSteps();
    QCOMPARE(window->visibleStep(), -1);
    Progress::unload();
}

void TestProgress::unloadDiscardsState()
{
    TestEnvironment env;
    Progress::instance()->showStep(7);
    QVERIFY(Progress::isLoaded());
    Progress::unload();
    QVERIFY(!Progress::isLoaded());
    QCOMPARE(Progress::instance()->visibleStep(), -1);
    Progress::unload();
}

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
