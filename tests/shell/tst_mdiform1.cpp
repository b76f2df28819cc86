#include "core/Globals.h"
#include "editor/TopForm.h"
#include "shell/MDIForm1.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QMdiSubWindow>
#include <QTest>

class TestMDIForm1 : public QObject
{
    Q_OBJECT
private slots:
    void editorIsCentredAndFollowsResize();
    void hiddenEditorIsNotMoved();
    void closingRemovesWorkDirectory();

private:
    static QWidget *child(MDIForm1 &frame) { return frame.editor()->parentWidget(); }
    static QPoint expectedPosition(MDIForm1 &frame);
};

QPoint TestMDIForm1::expectedPosition(MDIForm1 &frame)
{
    const QSize client = child(frame)->parentWidget()->size();
    return {client.width() / 2 - child(frame)->width() / 2, client.height() / 2 - child(frame)->height() / 2};
}

void TestMDIForm1::editorIsCentredAndFollowsResize()
{
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Norvane\u00ae Vexilo"));
    QTRY_COMPARE(child(frame)->pos(), expectedPosition(frame));
    frame.resize(1200, 900);
    QTRY_COMPARE(child(frame)->pos(), expectedPosition(frame));
    QVERIFY(child(frame)->x() > 0 && child(frame)->y() > 0);
}

void TestMDIForm1::hiddenEditorIsNotMoved()
{
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_COMPARE(child(frame)->pos(), expectedPosition(frame));
    const QPoint before = child(frame)->pos();
    child(frame)->hide();
    frame.resize(1300, 1000);
    QTest::qWait(50);
    QCOMPARE(child(frame)->pos(), before);
}

void TestMDIForm1::closingRemovesWorkDirectory()
{
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    QVERIFY(QDir(gTempDirectory).exists());
    frame.close();
    QVERIFY(!QDir(gTempDirectory).exists());
}

QTEST_MAIN(TestMDIForm1)
#include "tst_mdiform1.moc"
