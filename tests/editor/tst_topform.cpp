#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Startup.h"
#include "core/Twips.h"
#include "editor/FacePicture.h"
#include "editor/TopForm.h"
#include "mail/MailCube.h"
#include "publish/CubeBuilder.h"
#include "tests/support/MenuPosition.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

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

    void tabCyclesThroughTheEditor();
    void captionBoxPassesTabOn();
    void arrowsMoveAlongTheCross_data();
    void arrowsMoveAlongTheCross();
    void spaceAndEnterSelectTheFocusedFace_data();
    void spaceAndEnterSelectTheFocusedFace();
    void keysActAsTheMenu_data();
    void keysActAsTheMenu();
    void pasteKeyWithoutPictureDoesNothing();
    void keysOpenTheMenuAtTheFace_data();
    void keysOpenTheMenuAtTheFace();
    void rightClickOpensTheMenu();
    void buttonsReachAssistiveTechnology();
    void sendMakesTheMessagePictureFirst();
    void growsWithTheWindow_data();
    void growsWithTheWindow();
    void artworkStaysUnderTheControls_data();
    void artworkStaysUnderTheControls();
    void largerTrayShowsMoreThumbnails();
};

namespace {

// An editor on screen with the keyboard focus in it.
struct ShownEditor
{
    ShownEditor()
    {
        form.Form_Load();
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QGuiApplication::clipboard()->clear();
        MessageSeam::setMessageHandler([this](int id, MsgButtons) {
            messages << id;
            return int(IDOK);
        });
    }
    ~ShownEditor() { MessageSeam::setMessageHandler(nullptr); }

    void press(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(target, key, modifiers);
    }
    QString photo(const QString &name)
    {
        return WriteFile(env.path(QStringLiteral("photos/") + name),
                         TestPictures::Encode(TestPictures::Solid(QSize(200, 150), Qt::darkGreen), "jpeg"));
    }
    void drop(int face, const QString &path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.Image1[face], &enter);
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.Image1[face], &drop);
    }

    // The settings are read before the window is made, as at start-up.
    struct Started
    {
        Started() { Startup::Run(); }
    };

    TestEnvironment env;
    Started started;
    TopForm form;
    QList<int> messages;
};

} // namespace

void TestTopForm::stateAfterLoad()
{
    TestEnvironment env;
    Startup::Run();
    TopForm form;
    form.Form_Load();
    for (int i = 0; i < FaceCount; ++i) {
        QCOMPARE(form.cube.FaceSource(i), QString());
        QCOMPARE((form.cube.FaceChanged(i) ? True : False), False);
        QCOMPARE(form.SelectionBox[i]->isHidden(), i != 0);
        QVERIFY(form.ContextButton[i]->isHidden());
        QCOMPARE(form.Image1[i]->toolTip(), QStringLiteral("Put a photo here"));
    }
    QCOMPARE(form.cube.CurrentFace(), 0);
    QCOMPARE(form.Label1->text(),
             QStringLiteral("Double Click, Drag and Drop or Insert a photo into each face of the cube:"));
    // Without a disc the browser shows home, and its label says so.
    QVERIFY(form.Label4->text().startsWith(QStringLiteral("Your Photos: ")));
    QCOMPARE(form.Label4->toolTip(), env.home());
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
        QVERIFY(QFileInfo::exists(form.WorkDirectory() + QStringLiteral("/Vexilo.htm")));
        QVERIFY(QFileInfo::exists(form.WorkDirectory() + QStringLiteral("/imagevexilo.class")));
        QVERIFY(!QFileInfo::exists(form.WorkDirectory() + QStringLiteral("/vexilo.cls")));
        const QStringList targets = form.builder.gZipTargets.split(QLatin1Char('|'));
        QVERIFY(targets.contains(form.WorkDirectory() + QStringLiteral("/Vexilo.htm")));
        QVERIFY(targets.contains(form.WorkDirectory() + QStringLiteral("/cubefold.jpg")));
        QVERIFY(!form.builder.gZipTargets.endsWith(QLatin1Char('|')));
        QCOMPARE(QDir::currentPath(), before);
        // A file made later is removed with the rest.
        WriteFile(form.WorkDirectory() + QStringLiteral("/thumb1.jpg"), "x");
        form.close();
        QVERIFY(!QDir(form.WorkDirectory()).exists());
        QCOMPARE(QDir::currentPath(), before);
    }
    // The next start builds it again.
    TopForm again;
    again.Form_Load();
    QVERIFY(QFileInfo::exists(again.WorkDirectory() + QStringLiteral("/Vexilo.htm")));
}

void TestTopForm::missingTemplateStillLoads()
{
    TestEnvironment env;
    Startup::Run();
    AppPaths::setProgramDirectory(env.path(QStringLiteral("no-such-program")));
    TopForm form;
    form.Form_Load();
    QVERIFY(QDir(form.WorkDirectory()).exists());
    QCOMPARE(form.builder.gZipTargets, QString());
    QVERIFY(form.SelectionBox[0]->isVisibleTo(&form));
}

void TestTopForm::uncreatableWorkDirectoryLeavesNoTargets()
{
    TestEnvironment env;
    Startup::Run();
    TopForm form;
    form.SetWorkDirectory(WriteFile(env.path(QStringLiteral("plainfile")), "x") + QStringLiteral("/CubeTemp"));
    form.Form_Load();
    QCOMPARE(form.builder.gZipTargets, QString());
    QCOMPARE(form.cube.CurrentFace(), 0);
}

void TestTopForm::unloadWithoutWorkDirectoryDeletesNothing()
{
    TestEnvironment env;
    const QString keep = WriteFile(env.path(QStringLiteral("cwd/keep.txt")), "x");
    QDir::setCurrent(env.path(QStringLiteral("cwd")));
    {
        TopForm form;
        form.SetWorkDirectory(QString());
        form.Form_Unload();
    }
    QVERIFY(QFileInfo::exists(keep));
}

void TestTopForm::tabCyclesThroughTheEditor()
{
    ShownEditor editor;
    TopForm &f = editor.form;
    // The photo browser (home, as no disc is in a drive) comes round before
    // the caption, once the folder is listed.
    QWidget *photos = nullptr;
    QTRY_VERIFY((photos = f.SlideTray1->findChild<QListView *>()));
    const QList<QWidget *> order = {f.Caption1,  f.Image1[0], f.Image1[1], f.Image1[2], f.Image1[3],
                                    f.Image1[4], f.Image1[5], f.Insert,    f.Preview,   f.EMail,
                                    f.Save,      f.About,     f.Link,      photos,      f.Caption1};
    f.Caption1->setFocus(Qt::TabFocusReason);
    for (qsizetype i = 1; i < order.size(); ++i) {
        editor.press(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
    // Shift+Tab goes back the same way.
    editor.press(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), photos);
    editor.press(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), f.Link);
}

void TestTopForm::captionBoxPassesTabOn()
{
    ShownEditor editor;
    editor.form.Caption1->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(editor.form.Caption1, QStringLiteral("Our cube"));
    editor.press(editor.form.Caption1, Qt::Key_Tab);
    QCOMPARE(editor.form.Caption1->toPlainText(), QStringLiteral("Our cube"));
    QCOMPARE(QApplication::focusWidget(), editor.form.Image1[0]);
}

void TestTopForm::arrowsMoveAlongTheCross_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("0 right") << 0 << int(Qt::Key_Right) << 1;
    QTest::newRow("1 right") << 1 << int(Qt::Key_Right) << 2;
    QTest::newRow("2 right") << 2 << int(Qt::Key_Right) << 4;
    QTest::newRow("4 right, the end") << 4 << int(Qt::Key_Right) << 4;
    QTest::newRow("4 left") << 4 << int(Qt::Key_Left) << 2;
    QTest::newRow("0 left, the end") << 0 << int(Qt::Key_Left) << 0;
    QTest::newRow("2 up") << 2 << int(Qt::Key_Up) << 3;
    QTest::newRow("3 up, the end") << 3 << int(Qt::Key_Up) << 3;
    QTest::newRow("3 down") << 3 << int(Qt::Key_Down) << 2;
    QTest::newRow("2 down") << 2 << int(Qt::Key_Down) << 5;
    QTest::newRow("5 down, the end") << 5 << int(Qt::Key_Down) << 5;
    QTest::newRow("5 left, off the row") << 5 << int(Qt::Key_Left) << 5;
    QTest::newRow("1 up, off the column") << 1 << int(Qt::Key_Up) << 1;
}

void TestTopForm::arrowsMoveAlongTheCross()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    ShownEditor editor;
    editor.form.Image1[from]->setFocus(Qt::TabFocusReason);
    editor.press(editor.form.Image1[from], Qt::Key(key));
    QCOMPARE(QApplication::focusWidget(), editor.form.Image1[to]);
    // Moving the focus does not change the current face.
    QCOMPARE(editor.form.cube.CurrentFace(), 0);
}

void TestTopForm::spaceAndEnterSelectTheFocusedFace_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("enter") << int(Qt::Key_Return);
    QTest::newRow("keypad enter") << int(Qt::Key_Enter);
}

void TestTopForm::spaceAndEnterSelectTheFocusedFace()
{
    QFETCH(int, key);
    ShownEditor editor;
    editor.form.Image1[4]->setFocus(Qt::TabFocusReason);
    editor.press(editor.form.Image1[4], Qt::Key(key));
    QCOMPARE(editor.form.cube.CurrentFace(), 4);
    for (int i = 0; i < FaceCount; ++i) {
        QCOMPARE(editor.form.SelectionBox[i]->isVisible(), i == 4);
        QCOMPARE(editor.form.ContextButton[i]->isVisible(), i == 4);
    }
}

void TestTopForm::keysActAsTheMenu_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("photoStays");
    QTest::addColumn<bool>("onClipboard");
    QTest::newRow("Delete removes") << int(Qt::Key_Delete) << int(Qt::NoModifier) << false << false;
    QTest::newRow("Ctrl+C copies") << int(Qt::Key_C) << int(Qt::ControlModifier) << true << true;
    QTest::newRow("Ctrl+X cuts") << int(Qt::Key_X) << int(Qt::ControlModifier) << false << true;
}

void TestTopForm::keysActAsTheMenu()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, photoStays);
    QFETCH(bool, onClipboard);
    ShownEditor editor;
    const QString path = editor.photo(QStringLiteral("IMG0005.JPG"));
    editor.drop(1, path);
    QCOMPARE(editor.messages, QList<int>());
    QCOMPARE(editor.form.cube.FaceSource(1), path);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(editor.form.Image1[1]);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Face 2, IMG0005.JPG"));
    editor.form.cube.MarkFaceBuilt(1);

    // The focused face becomes current, then the key does what its menu item does.
    editor.form.Image1[1]->setFocus(Qt::TabFocusReason);
    editor.press(editor.form.Image1[1], Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(editor.form.cube.CurrentFace(), 1);
    QCOMPARE(editor.form.cube.FaceSource(1), photoStays ? path : QString());
    QCOMPARE((editor.form.cube.FaceChanged(1) ? True : False), photoStays ? False : True);
    QCOMPARE(face->text(QAccessible::Name),
             photoStays ? QStringLiteral("Face 2, IMG0005.JPG") : QStringLiteral("Face 2, empty"));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), onClipboard ? QSize(200, 150) : QSize(0, 0));
    QVERIFY(editor.messages.isEmpty());

    // Ctrl+V on another face pastes what the menu's Paste would.
    if (onClipboard) {
        editor.form.Image1[5]->setFocus(Qt::TabFocusReason);
        editor.press(editor.form.Image1[5], Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor.form.cube.CurrentFace(), 5);
        QCOMPARE(editor.form.cube.FaceSource(5), ClipboardSource);
        QCOMPARE(QAccessible::queryAccessibleInterface(editor.form.Image1[5])->text(QAccessible::Name),
                 QStringLiteral("Face 6, pasted picture"));
        QVERIFY(editor.form.ContextButton[5]->isVisible());
    }
}

void TestTopForm::pasteKeyWithoutPictureDoesNothing()
{
    // The menu's Paste is disabled without a picture on the clipboard, so
    // the key changes nothing and shows no message.
    ShownEditor editor;
    QGuiApplication::clipboard()->setText(QStringLiteral("words"));
    editor.form.Image1[2]->setFocus(Qt::TabFocusReason);
    editor.press(editor.form.Image1[2], Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor.form.cube.FaceSource(2), QString());
    QCOMPARE((editor.form.cube.FaceChanged(2) ? True : False), False);
    QVERIFY(editor.messages.isEmpty());
    // Delete on an empty face does nothing either.
    editor.press(editor.form.Image1[2], Qt::Key_Delete);
    QCOMPARE((editor.form.cube.FaceChanged(2) ? True : False), False);
}

void TestTopForm::keysOpenTheMenuAtTheFace_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    QTest::newRow("Menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
}

void TestTopForm::keysOpenTheMenuAtTheFace()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    ShownEditor editor;
    editor.form.Image1[3]->setFocus(Qt::TabFocusReason);
    editor.press(editor.form.Image1[3], Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(editor.form.ContextMenu->isVisible());
    QCOMPARE(editor.form.cube.CurrentFace(), 3);
    QCOMPARE(editor.form.ContextMenu->pos(), FaceMenuPosition(*editor.form.ContextButton[3], *editor.form.ContextMenu));
    // An empty face: only Paste could be enabled, and the clipboard is empty.
    QVERIFY(!editor.form.Remove->isEnabled());
    QVERIFY(!editor.form.Paste->isEnabled());
    editor.form.ContextMenu->hide();
}

void TestTopForm::rightClickOpensTheMenu()
{
    ShownEditor editor;
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            editor.form.Image1[4]->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(editor.form.Image1[4], &event);
    QTRY_VERIFY(editor.form.ContextMenu->isVisible());
    QCOMPARE(editor.form.cube.CurrentFace(), 4);
    editor.form.ContextMenu->hide();
}

void TestTopForm::buttonsReachAssistiveTechnology()
{
    // The buttons come from the control's library, loaded as the program
    // loads it, and still answer as push buttons.
    ShownEditor editor;
    TopForm &f = editor.form;
    const QList<std::pair<QWidget *, QString>> buttons = {{f.Insert, "Insert"}, {f.Preview, "Preview"},
                                                          {f.EMail, "Send"},    {f.Save, "Save"},
                                                          {f.About, "About"},   {f.Link, "Customer Support Online"}};
    for (const auto &[button, name] : buttons) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
        QCOMPARE(iface->role(), QAccessible::Button);
        QCOMPARE(iface->text(QAccessible::Name), name);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(f.Preview)->text(QAccessible::Description),
             QStringLiteral("Preview cube in web page"));
    for (int i = 0; i < FaceCount; ++i) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(f.Image1[i]);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Face %1, empty").arg(i + 1));
        QCOMPARE(face->state().selected, i == 0);
        QCOMPARE(face->text(QAccessible::Description), QStringLiteral("Put a photo here"));
    }
}

// Send builds the cube and the moving picture its message shows before the
// Send dialog opens.
void TestTopForm::sendMakesTheMessagePictureFirst()
{
    ShownEditor e;
    e.drop(2, e.photo(QStringLiteral("sea.jpg")));
    bool mailed = false;
    int frames = 0;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        mailed = qobject_cast<MailCube *>(&dialog) != nullptr;
        frames = QImageReader(CubeBuilder::MessagePictureIn(e.form.WorkDirectory())).imageCount();
    });
    e.form.actions->Send->trigger();
    MessageSeam::setDialogHandler(nullptr);
    QVERIFY(mailed);
    QCOMPARE(frames, 120);
    QVERIFY(e.messages.isEmpty());
    // The picture goes with the rest of the work directory.
    e.form.close();
    QVERIFY(!QDir(e.form.WorkDirectory()).exists());
}

namespace {

// How a control follows the editor along one direction: it stays at its
// designed place, moves with the far edge, or stretches to it.
enum class Along { Stays, Moves, Stretches };

// A control, its place in the design, in twips, and how it follows the
// editor across and down.
struct Placing
{
    QWidget *control;
    QRect designed;
    Along across, down;

    QRect In(QSize extra) const
    {
        const auto span = [](int start, int length, int more, Along along) {
            return along == Along::Moves ? std::pair(start + more, length)
                                         : std::pair(start, length + (along == Along::Stretches ? more : 0));
        };
        const auto [left, width] = span(designed.left(), designed.width(), extra.width(), across);
        const auto [top, height] = span(designed.top(), designed.height(), extra.height(), down);
        return {left, top, width, height};
    }
};

QList<Placing> Placings(TopForm &f)
{
    using enum Along;
    QList<Placing> placings = {
        {f.Label4, TwipsRect(225, 330, 3645, 255), Stretches, Stays},
        {f.Image3, TwipsRect(180, 630, 3795, 5175), Stretches, Stretches},
        {f.SlideTray1, TwipsRect(255, 690, 3615, 4995), Stretches, Stretches},
        {f.Label3, TwipsRect(4200, 345, 3975, 255), Moves, Stays},
        {f.Caption1, TwipsRect(4200, 600, 3975, 795), Moves, Stays},
        {f.Label1, TwipsRect(4215, 1785, 2340, 1155), Moves, Stays},
        {f.Insert, TwipsRect(2325, 5850, 1575, 360), Moves, Moves},
        {f.Preview, TwipsRect(4230, 6120, 1650, 435), Moves, Moves},
        {f.EMail, TwipsRect(5925, 6120, 1650, 435), Moves, Moves},
        {f.Save, TwipsRect(7635, 6120, 1650, 435), Moves, Moves},
        {f.About, TwipsRect(135, 5900, 1875, 300), Stays, Moves},
        {f.Link, TwipsRect(135, 6270, 3750, 300), Stays, Moves},
    };
    const int faceLeft[] = {4110, 5445, 6795, 6795, 8130, 6795}, faceTop[] = {3135, 3135, 3135, 1815, 3135, 4470};
    const int frameLeft[] = {4050, 5385, 6730, 6735, 8070, 6730}, frameTop[] = {3075, 3075, 3075, 1740, 3075, 4410};
    const int buttonLeft[] = {4848, 6180, 7548, 7536, 8868, 7536}, buttonTop[] = {3168, 3168, 3168, 1836, 3168, 4500};
    for (int i = 0; i < FaceCount; ++i) {
        placings.append({f.Image1[i], TwipsRect(faceLeft[i], faceTop[i], 1155, 1155), Moves, Stays});
        placings.append({f.SelectionBox[i], TwipsRect(frameLeft[i], frameTop[i], 1275, 1275), Moves, Stays});
        placings.append({f.ContextButton[i], TwipsRect(buttonLeft[i], buttonTop[i], 312, 312), Moves, Stays});
    }
    return placings;
}

// A face and its selection frame and context button stand over each other
// by design, as do the browser's frame and the browser.
bool OverlapByDesign(const Placing &a, const Placing &b)
{
    return a.designed.intersects(b.designed);
}

const QSize kDesigned(639, 454);

void EditorSizes()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("designed") << kDesigned;
    QTest::newRow("smaller than designed") << QSize(500, 300);
    QTest::newRow("taller, as in a 1280 x 800 frame") << QSize(639, 738);
    QTest::newRow("wider only") << QSize(1100, 454);
    QTest::newRow("as in a 1920 x 1080 frame") << QSize(1232, 1018);
    QTest::newRow("as in a 3840 x 2160 frame") << QSize(3152, 2098);
}

} // namespace

void TestTopForm::growsWithTheWindow_data()
{
    EditorSizes();
}

// The designed layout is the smallest; the photo browser takes any room
// beyond it, and every other control keeps its size and its distance from
// the edges it stands by.
void TestTopForm::growsWithTheWindow()
{
    QFETCH(QSize, size);
    ShownEditor editor;
    TopForm &f = editor.form;
    f.resize(size);
    const QSize expected = size.expandedTo(kDesigned);
    QTRY_COMPARE(f.size(), expected);
    const QList<Placing> placings = Placings(f);
    for (qsizetype i = 0; i < placings.size(); ++i) {
        const Placing &p = placings[i];
        QVERIFY2(p.control->geometry() == p.In(expected - kDesigned), qPrintable(QStringLiteral("control %1").arg(i)));
        QVERIFY(f.rect().contains(p.control->geometry()));
    }
    for (qsizetype i = 0; i < placings.size(); ++i)
        for (qsizetype j = i + 1; j < placings.size(); ++j)
            if (!OverlapByDesign(placings[i], placings[j]))
                QVERIFY2(!placings[i].control->geometry().intersects(placings[j].control->geometry()),
                         qPrintable(QStringLiteral("%1 and %2").arg(i).arg(j)));
    QVERIFY(f.Back->geometry().contains(f.rect()));
    QCOMPARE(f.EmptyTrayNote->geometry(), f.SlideTray1->rect().adjusted(12, 12, -12, -12));
}

void TestTopForm::artworkStaysUnderTheControls_data()
{
    EditorSizes();
}

// The background shows under each face the slot drawn for it and, at the
// top right, the logo, wherever the faces stand; it reaches every edge; the
// browser's frame keeps its corners.
void TestTopForm::artworkStaysUnderTheControls()
{
    QFETCH(QSize, size);
    ShownEditor editor;
    TopForm &f = editor.form;
    f.resize(size);
    QTRY_COMPARE(f.size(), size.expandedTo(kDesigned));
    const int dx = f.width() - kDesigned.width();
    const QImage designed = QImage(QStringLiteral(":/artwork/background.png")).convertToFormat(QImage::Format_RGB32);
    const QImage shown = f.Back->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(shown.width() >= f.width() && shown.height() >= f.height());
    for (int i = 0; i < FaceCount; ++i) {
        const QRect slot = f.SelectionBox[i]->geometry();
        QCOMPARE(shown.copy(slot), designed.copy(slot.translated(-dx, 0)));
    }
    const QRect logo(566, 14, 54, 90);
    QCOMPARE(shown.copy(logo.translated(dx, 0)), designed.copy(logo));
    // The band at the foot and the browser's shadow at its corners.
    for (const QPoint &corner : {QPoint(0, 0), QPoint(designed.width() - 1, designed.height() - 1),
                                 QPoint(0, designed.height() - 1), QPoint(designed.width() - 1, 0)}) {
        const QPoint at(corner.x() ? shown.width() - 1 : 0, corner.y() ? shown.height() - 1 : 0);
        QCOMPARE(shown.pixelColor(at), designed.pixelColor(corner));
    }
    // Moved down, the band's first rows (from its top line at 384) are the
    // same all along: the shadow of face 6's slot does not go with them.
    if (const int dy = f.height() - kDesigned.height(); dy > 0) {
        const int underFace6 = f.SelectionBox[5]->geometry().center().x();
        for (int y = 384 + dy; y < 392 + dy; ++y)
            QCOMPARE(shown.pixelColor(underFace6, y), shown.pixelColor(shown.width() - 1, y));
    }
    const QImage frame = f.Image3->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage designedFrame =
        QImage(QStringLiteral(":/artwork/trayframe.png")).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(frame.size(), f.Image3->size());
    const QSize corner(12, 12);
    QCOMPARE(frame.copy(QRect(QPoint(), corner)), designedFrame.copy(QRect(QPoint(), corner)));
    QCOMPARE(frame.copy(QRect(QPoint(frame.width() - 12, frame.height() - 12), corner)),
             designedFrame.copy(QRect(QPoint(designedFrame.width() - 12, designedFrame.height() - 12), corner)));
}

namespace {
// Thumbnails the browser shows whole.
int WholeThumbnails(QListView *view)
{
    int whole = 0;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        whole += view->viewport()->rect().contains(view->visualRect(view->model()->index(row, 0)));
    return whole;
}
} // namespace

// Given more room, the browser lays out more thumbnails side by side and
// below each other; the arrows and scrolling follow the new rows.
void TestTopForm::largerTrayShowsMoreThumbnails()
{
    ShownEditor editor;
    constexpr int count = 40;
    for (int i = 0; i < count; ++i)
        editor.photo(QStringLiteral("Photo %1.jpg").arg(i + 1, 2, 10, QLatin1Char('0')));
    editor.form.OpenPhotoFolder(editor.env.path(QStringLiteral("photos")));
    QListView *view = nullptr;
    const auto shown = [&] {
        const QList<QListView *> views = editor.form.SlideTray1->findChildren<QListView *>();
        view = views.isEmpty() ? nullptr : views.constLast();
        return view && view->isVisible() && view->model()->rowCount() == count;
    };
    QTRY_VERIFY(shown());
    QTRY_VERIFY(WholeThumbnails(view) > 0);
    const int before = WholeThumbnails(view);
    QCOMPARE(view->geometry(), editor.form.SlideTray1->rect());

    editor.form.resize(1232, 1018);
    QTRY_COMPARE(view->geometry(), editor.form.SlideTray1->rect());
    QTRY_VERIFY(WholeThumbnails(view) >= 4 * before);

    // Down goes to the thumbnail below, a whole row further on.
    const QModelIndex first = view->model()->index(0, 0);
    int columns = 0;
    for (int row = 0; row < count; ++row)
        columns += view->visualRect(view->model()->index(row, 0)).top() == view->visualRect(first).top();
    QVERIFY(columns > 2);
    view->setFocus();
    view->setCurrentIndex(first);
    editor.press(view, Qt::Key_Down);
    QCOMPARE(view->currentIndex().row(), columns);
    editor.press(view, Qt::Key_End);
    QCOMPARE(view->currentIndex().row(), count - 1);
    QTRY_VERIFY(view->viewport()->rect().contains(view->visualRect(view->currentIndex())));
}

QTEST_MAIN(TestTopForm)
#include "tst_topform.moc"
