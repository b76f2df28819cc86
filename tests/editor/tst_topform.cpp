#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/Startup.h"
#include "editor/FacePicture.h"
#include "editor/TopForm.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QTest>

class TestTopForm : public QObject
{
    Q_OBJECT
private slots:
    void stateAfterLoad();
    void updateSelection_data();
    void updateSelection();
    void workDirectoryLivesFromLoadToUnload();
    void missingTemplateStillLoads();
    void uncreatableWorkDirectoryLeavesNoTargets();
    void unloadWithoutWorkDirectoryDeletesNothing();
};

void TestTopForm::stateAfterLoad()
{
    TestEnvironment env;
    Startup::Run();
    TopForm form;
    form.Form_Load();
    for (int i = 0; i < FaceCount; ++i) {
        QCOMPARE(gFaceSource[i], QString());
        QCOMPARE(gFaceChanged[i], False);
        QCOMPARE(form.SelectionBox[i]->isHidden(), i != 0);
        QVERIFY(form.ContextButton[i]->isHidden());
        QCOMPARE(form.Image1[i]->toolTip(), QStringLiteral("Put a photo here"));
    }
    QCOMPARE(gCurrentFace, qint16(0));
    QCOMPARE(form.Label1->text(),
             QStringLiteral("Double Click, Drag and Drop or Insert a photo into each face of the cube:"));
    QCOMPARE(form.Label4->text(), QStringLiteral("Your Photos:"));
    QCOMPARE(form.Label3->text(), QStringLiteral("Enter web page caption:"));
    QCOMPARE(form.size(), QSize(639, 454));
    // Face 3 stands above face 2, face 5 below it.
    QCOMPARE(form.Image1[3]->x(), form.Image1[2]->x());
    QCOMPARE(form.Image1[5]->x(), form.Image1[2]->x());
    QVERIFY(form.Image1[3]->y() < form.Image1[2]->y() && form.Image1[2]->y() < form.Image1[5]->y());
}

void TestTopForm::updateSelection_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("oldIndex");
    QTest::addColumn<int>("newIndex");
    QTest::addColumn<bool>("showButton");
    QTest::addColumn<int>("frameShown");
    QTest::addColumn<int>("buttonShown");
    QTest::newRow("2 to 3 with button") << 2 << 2 << 3 << true << 3 << 3;
    QTest::newRow("3 to 3 without button") << 3 << 3 << 3 << false << 3 << -1;
    QTest::newRow("3 to 3 with button") << 3 << 3 << 3 << true << 3 << 3;
    QTest::newRow("5 to 0 without button") << 5 << 5 << 0 << false << 0 << -1;
}

void TestTopForm::updateSelection()
{
    QFETCH(int, start);
    QFETCH(int, oldIndex);
    QFETCH(int, newIndex);
    QFETCH(bool, showButton);
    QFETCH(int, frameShown);
    QFETCH(int, buttonShown);
    TestEnvironment env;
    Startup::Run();
    TopForm form;
    form.Form_Load();
    qint16 first = 0, startFace = qint16(start), yes = True;
    form.UpdateSelection(first, startFace, yes);

    qint16 o = qint16(oldIndex), n = qint16(newIndex), show = showButton ? True : False;
    form.UpdateSelection(o, n, show);
    for (int i = 0; i < FaceCount; ++i) {
        QCOMPARE(!form.SelectionBox[i]->isHidden(), i == frameShown);
        QCOMPARE(!form.ContextButton[i]->isHidden(), i == buttonShown);
    }
}

void TestTopForm::workDirectoryLivesFromLoadToUnload()
{
    TestEnvironment env;
    Startup::Run();
    const QString before = QDir::currentPath();
    {
        TopForm form;
        form.Form_Load();
        QVERIFY(QFileInfo::exists(gTempDirectory + QStringLiteral("/Vexilo.htm")));
        QVERIFY(QFileInfo::exists(gTempDirectory + QStringLiteral("/imagevexilo.class")));
        QVERIFY(!QFileInfo::exists(gTempDirectory + QStringLiteral("/vexilo.cls")));
        const QStringList targets = form.builder.gZipTargets.split(QLatin1Char('|'));
        QVERIFY(targets.contains(gTempDirectory + QStringLiteral("/Vexilo.htm")));
        QVERIFY(targets.contains(gTempDirectory + QStringLiteral("/cubefold.jpg")));
        QVERIFY(!form.builder.gZipTargets.endsWith(QLatin1Char('|')));
        QCOMPARE(QDir::currentPath(), before);
        // A file made later is removed with the rest.
        WriteFile(gTempDirectory + QStringLiteral("/thumb1.jpg"), "x");
        form.close();
        QVERIFY(!QDir(gTempDirectory).exists());
        QCOMPARE(QDir::currentPath(), QDir(TestEnvironment::appDir()).canonicalPath());
    }
    // The next start builds it again.
    TopForm again;
    again.Form_Load();
    QVERIFY(QFileInfo::exists(gTempDirectory + QStringLiteral("/Vexilo.htm")));
}

void TestTopForm::missingTemplateStillLoads()
{
    TestEnvironment env;
    Startup::Run();
    AppPaths::setProgramDirectory(env.path(QStringLiteral("no-such-program")));
    TopForm form;
    form.Form_Load();
    QVERIFY(QDir(gTempDirectory).exists());
    QCOMPARE(form.builder.gZipTargets, QString());
    QVERIFY(form.SelectionBox[0]->isVisibleTo(&form));
}

void TestTopForm::uncreatableWorkDirectoryLeavesNoTargets()
{
    TestEnvironment env;
    Startup::Run();
    gTempDirectory = WriteFile(env.path(QStringLiteral("plainfile")), "x") + QStringLiteral("/CubeTemp");
    TopForm form;
    form.Form_Load();
    QCOMPARE(form.builder.gZipTargets, QString());
    QCOMPARE(gCurrentFace, qint16(0));
}

void TestTopForm::unloadWithoutWorkDirectoryDeletesNothing()
{
    TestEnvironment env;
    const QString keep = WriteFile(env.path(QStringLiteral("cwd/keep.txt")), "x");
    QDir::setCurrent(env.path(QStringLiteral("cwd")));
    gTempDirectory.clear();
    {
        TopForm form;
        form.Form_Unload();
    }
    QVERIFY(QFileInfo::exists(keep));
}

QTEST_MAIN(TestTopForm)
#include "tst_topform.moc"
