#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "editor/AboutBox.h"
#include "editor/TopForm.h"
#include "photosource/BrowserState.h"
#include "photosource/PhotoBrowser.h"
#include "photosource/PhotoFolderChoice.h"
#include "shell/FrameMenu.h"
#include "shell/MDIForm1.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using namespace TestPictures;

// The frame's menu bar, driven through its real menus and keys.
class TestFrameMenu : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menusInDesktopOrder();
    void openPhotoFolderWithCtrlO();
    void openRecentListsLastFive();
    void undoAndRedoKeysNameAndTakeTheStep();
    void saveCubeAsThenOpenRecentCube();
    void f1OpensTheHelpPage();
    void aboutVexiloOpensAboutBox();
    void quitWithCtrlQClosesFrame();

private:
    FrameMenu *menu() const { return m_frame->findChild<FrameMenu *>(); }
    QString folder(int i) const { return m_env->path(QStringLiteral("folder%1").arg(i)); }

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<MDIForm1> m_frame;
};

void TestFrameMenu::init()
{
    m_env.reset(new TestEnvironment);
    for (int i = 0; i < 7; ++i)
        WriteFile(folder(i) + QStringLiteral("/p%1.jpg").arg(i), Encode(Solid(QSize(40, 40), Qt::red), "jpeg"));
    m_frame.reset(new MDIForm1);
    QVERIFY(m_frame->MDIForm_Load());
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.data()));
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_frame.data()));
}

void TestFrameMenu::cleanup()
{
    m_frame.reset();
    MessageSeam::reset();
    m_env.reset();
}

void TestFrameMenu::menusInDesktopOrder()
{
    QVERIFY(menu());
    QCOMPARE(m_frame->menuBar(), menu());
    QStringList titles;
    for (QAction *action : menu()->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&Help"}));
    QStringList file;
    for (QAction *action : menu()->FileMenu->actions())
        file << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(file, (QStringList{"&New Cube", "&Open Cube\u2026", "Recent &Cubes", "&Save Cube", "Save Cube &As\u2026", "-",
                                "&Export Moving Picture\u2026", "-", "&Open Photo Folder\u2026", "Open &Recent", "-",
                                "&Quit"}));
    QStringList edit;
    for (QAction *action : menu()->EditMenu->actions())
        edit << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(edit, (QStringList{"Undo", "Redo", "-", "C&ut", "&Copy", "&Paste", "&Remove", "-", "Turn &Left",
                                "Turn R&ight", "&Fill Face", "Fit F&ace", "&Blurred Backdrop", "Reset Fra&ming",
                                "Frame P&hoto\u2026", "-", "New Photos Fi&ll Their Face", "-", "Insert"}));
    QCOMPARE(menu()->OpenFolder->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(menu()->Quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QStringList help;
    for (QAction *action : menu()->HelpMenu->actions())
        help << action->text();
    QCOMPARE(help, (QStringList{"Vexilo &Help", "&About Vexilo"}));
    QCOMPARE(menu()->VexiloHelp->shortcut(), QKeySequence(Qt::Key_F1));
}

void TestFrameMenu::openPhotoFolderWithCtrlO()
{
    int chooserShown = 0;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        auto *chooser = qobject_cast<QFileDialog *>(&dialog);
        QVERIFY(chooser);
        ++chooserShown;
        chooser->selectFile(folder(3));
        dialog.accept();
    });
    QTest::keyClick(m_frame.data(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(chooserShown, 1);
    QTRY_COMPARE(GetItemPath(gBrowserWindow, 0), folder(3) + "/p3.jpg");
    QCOMPARE(PhotoFolderChoice::Recent().value(0), folder(3));
}

void TestFrameMenu::undoAndRedoKeysNameAndTakeTheStep()
{
    TopForm *editor = m_frame->editor();
    const QString photo = folder(2) + QStringLiteral("/p2.jpg");
    QVERIFY(editor->faceCommands.PutPhoto(0, photo, 0, Msg::InsertPhotoStep));
    editor->faceCommands.RemoveFace();
    QCOMPARE(menu()->EditMenu->actions().at(0)->text(), QStringLiteral("Undo Remove Photo"));
    QTest::keyClick(m_frame.data(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor->cube.FaceSource(0), photo);
    QCOMPARE(menu()->EditMenu->actions().at(1)->text(), QStringLiteral("Redo Remove Photo"));
    QTest::keyClick(m_frame.data(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(editor->cube.FaceSource(0), QString());
    QTest::keyClick(m_frame.data(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor->cube.FaceSource(0), QString());
    QTest::keyClick(m_frame.data(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_frame.data(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor->cube.FaceSource(0), QString());
    // Typed in the caption box, Ctrl+Z still takes back the cube's steps.
    editor->Caption1->setFocus();
    QTest::keyClicks(editor->Caption1, QStringLiteral("Sun"));
    QCOMPARE(editor->cube.Caption(), QStringLiteral("Sun"));
    QTest::keyClick(editor->Caption1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor->cube.Caption(), QString());
    QCOMPARE(editor->Caption1->toPlainText(), QString());
}

void TestFrameMenu::saveCubeAsThenOpenRecentCube()
{
    TopForm *editor = m_frame->editor();
    const QString photo = folder(4) + QStringLiteral("/p4.jpg");
    QVERIFY(editor->faceCommands.PutPhoto(3, photo, 4, Msg::InsertPhotoStep));
    QVERIFY(editor->windowTitle().startsWith(QStringLiteral("Untitled")));
    QVERIFY(editor->isWindowModified());
    const QString document = m_env->path(QStringLiteral("Our cube"));
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        auto *chooser = qobject_cast<QFileDialog *>(&dialog);
        QVERIFY(chooser);
        chooser->selectFile(document);
        dialog.accept();
    });
    QTest::keyClick(m_frame.data(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFileInfo::exists(document + QStringLiteral(".vexilo")));
    QCOMPARE(editor->windowTitle(), QStringLiteral("Our cube.vexilo[*]"));
    QVERIFY(!editor->isWindowModified());

    QTest::keyClick(m_frame.data(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(editor->cube.Face(3).isEmpty());
    emit menu()->FileMenu->aboutToShow();
    QCOMPARE(menu()->RecentCubesMenu->actions().size(), 1);
    menu()->RecentCubesMenu->actions().at(0)->trigger();
    QCOMPARE(editor->cube.FaceSource(3), photo);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestFrameMenu::openRecentListsLastFive()
{
    for (int i = 0; i < 7; ++i)
        m_frame->editor()->OpenPhotoFolder(folder(i));
    emit menu()->FileMenu->aboutToShow();
    QStringList recent;
    for (QAction *action : menu()->RecentMenu->actions())
        recent << action->text();
    QCOMPARE(recent, (QStringList{"&1 " + folder(6), "&2 " + folder(5), "&3 " + folder(4), "&4 " + folder(3),
                                  "&5 " + folder(2)}));
    menu()->RecentMenu->actions().at(3)->trigger();
    QTRY_COMPARE(GetItemPath(gBrowserWindow, 0), folder(3) + "/p3.jpg");
    QCOMPARE(PhotoFolderChoice::Recent().value(0), folder(3));
}

// F1 starts the browser on the help page that ships with the program.
void TestFrameMenu::f1OpensTheHelpPage()
{
    const QString bin = m_env->path(QStringLiteral("bin"));
    const QString opened = m_env->path(QStringLiteral("opened"));
    const QString browser =
        WriteFile(bin + QStringLiteral("/recordingbrowser"), "#!/bin/sh\necho \"$*\" > '" + opened.toUtf8() + "'\n");
    QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("BROWSER", QFile::encodeName(browser));
    QTest::keyClick(m_frame.data(), Qt::Key_F1);
    qunsetenv("BROWSER");
    const QString help = TestEnvironment::appDir() + QStringLiteral("/Help/vexilo-help.html");
    QVERIFY(QFile::exists(help));
    QTRY_COMPARE(QString::fromUtf8(ReadFile(opened)).trimmed(), QUrl::fromLocalFile(help).toString(QUrl::FullyEncoded));
}

void TestFrameMenu::aboutVexiloOpensAboutBox()
{
    int aboutShown = 0;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        aboutShown += qobject_cast<AboutBox *>(&dialog) != nullptr;
        dialog.reject();
    });
    menu()->AboutVexilo->trigger();
    QCOMPARE(aboutShown, 1);
}

void TestFrameMenu::quitWithCtrlQClosesFrame()
{
    QTest::keyClick(m_frame.data(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m_frame->isVisible());
    QCOMPARE(gBrowserWindow, 0);
}

QTEST_MAIN(TestFrameMenu)
#include "tst_framemenu.moc"
