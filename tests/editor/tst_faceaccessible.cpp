#include "core/Globals.h"
#include "core/Startup.h"
#include "editor/FaceAccessible.h"
#include "editor/TopForm.h"
#include "tests/support/TestEnvironment.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QMenu>
#include <QTest>

// What assistive technology reads of the editor's faces.
class TestFaceAccessible : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void faceName_data();
    void faceName();
    void facesAreFocusableSelectablePictures();
    void pressActionMakesTheFaceCurrent();
    void menuActionOpensTheContextMenu();
    void onlyTheSixFacesAreFaces();

private:
    QAccessibleInterface *face(int i) const { return QAccessible::queryAccessibleInterface(m_form->Image1[i]); }

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<TopForm> m_form;
};

void TestFaceAccessible::init()
{
    m_env.reset(new TestEnvironment);
    Startup::Run();
    m_form.reset(new TopForm);
    m_form->Form_Load();
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.data()));
}

void TestFaceAccessible::cleanup()
{
    m_form.reset();
    m_env.reset();
}

void TestFaceAccessible::faceName_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << 0 << ""
                           << "Face 1, empty";
    QTest::newRow("photo") << 2 << "/media/cdrom/PICTURES/IMG0005.JPG"
                           << "Face 3, IMG0005.JPG";
    QTest::newRow("photo with blanks") << 4 << "/home/ann/My Photos/Beach day.jpg"
                                       << "Face 5, Beach day.jpg";
    QTest::newRow("pasted") << 5 << "Clipboard"
                            << "Face 6, pasted picture";
}

void TestFaceAccessible::faceName()
{
    QFETCH(int, index);
    QFETCH(QString, source);
    const CubeFace content = source.isEmpty()              ? CubeFace()
                             : source == ClipboardSource ? CubeFace::Pasted(QImage(2, 2, QImage::Format_RGB32))
                                                         : CubeFace::Photo(source);
    m_form->cube.SetFace(index, content);
    QTEST(FaceAccessible::FaceName(index, content), "name");
    QTEST(face(index)->text(QAccessible::Name), "name");
}

void TestFaceAccessible::facesAreFocusableSelectablePictures()
{
    QCOMPARE(face(3)->role(), QAccessible::Graphic);
    QVERIFY(face(3)->state().focusable);
    QVERIFY(face(3)->state().selectable);
    QVERIFY(!face(3)->state().focused);
    m_form->Image1[3]->setFocus(Qt::TabFocusReason);
    QVERIFY(face(3)->state().focused);
    // Focus and the current face are apart: face 0 is still the current one.
    QVERIFY(!face(3)->state().selected);
    QVERIFY(face(0)->state().selected);
}

void TestFaceAccessible::pressActionMakesTheFaceCurrent()
{
    QAccessibleActionInterface *actions = face(4)->actionInterface();
    QVERIFY(actions);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_form->cube.CurrentFace(), 4);
    QVERIFY(m_form->SelectionBox[4]->isVisible());
    QVERIFY(m_form->ContextButton[4]->isVisible());
    QVERIFY(face(4)->state().selected);
    QVERIFY(!face(0)->state().selected);
}

void TestFaceAccessible::menuActionOpensTheContextMenu()
{
    QAccessibleActionInterface *actions = face(1)->actionInterface();
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(m_form->ContextMenu->isVisible());
    QCOMPARE(m_form->cube.CurrentFace(), 1);
    m_form->ContextMenu->hide();
}

void TestFaceAccessible::onlyTheSixFacesAreFaces()
{
    // The hidden placeholders and the context buttons are not faces.
    for (QWidget *other : {static_cast<QWidget *>(m_form->Image1[6]), static_cast<QWidget *>(m_form->ContextButton[0])})
        QVERIFY(QAccessible::queryAccessibleInterface(other)->role() != QAccessible::Graphic
                || !QAccessible::queryAccessibleInterface(other)->text(QAccessible::Name).startsWith("Face"));
}

QTEST_MAIN(TestFaceAccessible)
#include "tst_faceaccessible.moc"
