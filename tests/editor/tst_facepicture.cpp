#include "editor/FacePicture.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

// The face keys and the focus ring of a keyboard face.
class TestFacePicture : public QObject
{
    Q_OBJECT
private slots:
    void commandForKey_data();
    void commandForKey();
    void onlyKeyboardFacesTakeFocusAndKeys();
    void focusRingIsDrawnOnlyWithFocus();
};

using Command = FacePicture::KeyCommand;
Q_DECLARE_METATYPE(std::optional<FacePicture::KeyCommand>)

void TestFacePicture::commandForKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<std::optional<Command>>("command");
    const int none = Qt::NoModifier;
    QTest::newRow("space") << int(Qt::Key_Space) << none << std::optional(Command::Select);
    QTest::newRow("return") << int(Qt::Key_Return) << none << std::optional(Command::Select);
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << std::optional(Command::Select);
    QTest::newRow("delete") << int(Qt::Key_Delete) << none << std::optional(Command::Remove);
    QTest::newRow("ctrl+c") << int(Qt::Key_C) << int(Qt::ControlModifier) << std::optional(Command::Copy);
    QTest::newRow("ctrl+x") << int(Qt::Key_X) << int(Qt::ControlModifier) << std::optional(Command::Cut);
    QTest::newRow("ctrl+v") << int(Qt::Key_V) << int(Qt::ControlModifier) << std::optional(Command::Paste);
    QTest::newRow("shift+delete cuts") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << std::optional(Command::Cut);
    QTest::newRow("shift+insert pastes") << int(Qt::Key_Insert) << int(Qt::ShiftModifier)
                                         << std::optional(Command::Paste);
    QTest::newRow("menu") << int(Qt::Key_Menu) << none << std::optional(Command::Menu);
    QTest::newRow("shift+f10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << std::optional(Command::Menu);
    QTest::newRow("f10 alone") << int(Qt::Key_F10) << none << std::optional<Command>();
    QTest::newRow("left") << int(Qt::Key_Left) << none << std::optional(Command::Left);
    QTest::newRow("right") << int(Qt::Key_Right) << none << std::optional(Command::Right);
    QTest::newRow("up") << int(Qt::Key_Up) << none << std::optional(Command::Up);
    QTest::newRow("down") << int(Qt::Key_Down) << none << std::optional(Command::Down);
    QTest::newRow("ctrl+left") << int(Qt::Key_Left) << int(Qt::ControlModifier) << std::optional<Command>();
    QTest::newRow("letter") << int(Qt::Key_A) << none << std::optional<Command>();
    QTest::newRow("tab") << int(Qt::Key_Tab) << none << std::optional<Command>();
}

void TestFacePicture::commandForKey()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    QTEST(FacePicture::CommandForKey(event), "command");
}

void TestFacePicture::onlyKeyboardFacesTakeFocusAndKeys()
{
    QWidget window;
    FacePicture plain(0, &window);
    FacePicture face(2, &window);
    face.MakeKeyboardFace();
    QCOMPARE(plain.focusPolicy(), Qt::NoFocus);
    QCOMPARE(face.focusPolicy(), Qt::StrongFocus);
    QSignalSpy plainKeys(&plain, &FacePicture::keyCommand);
    QSignalSpy faceKeys(&face, &FacePicture::keyCommand);
    QTest::keyClick(&plain, Qt::Key_Delete);
    QTest::keyClick(&face, Qt::Key_Delete);
    QCOMPARE(plainKeys.count(), 0);
    QCOMPARE(faceKeys.count(), 1);
    QCOMPARE(faceKeys.at(0).at(0).toInt(), 2);
    QCOMPARE(faceKeys.at(0).at(1).value<Command>(), Command::Remove);
}

void TestFacePicture::focusRingIsDrawnOnlyWithFocus()
{
    QWidget window;
    FacePicture face(0, &window);
    face.MakeKeyboardFace();
    face.setGeometry(10, 10, 77, 77);
    QPixmap photo(77, 77);
    photo.fill(QColor(200, 30, 30));
    face.setPixmap(photo);
    FacePicture other(1, &window);
    other.MakeKeyboardFace();
    other.setGeometry(100, 10, 77, 77);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other.setFocus(Qt::TabFocusReason);
    const QImage unfocused = face.grab().toImage();
    face.setFocus(Qt::TabFocusReason);
    QVERIFY(face.hasFocus());
    const QImage focused = face.grab().toImage();
    QCOMPARE(unfocused.pixelColor(3, 38), QColor(200, 30, 30));
    // A light band with a dark dashed line inside the picture's edge.
    QCOMPARE(focused.pixelColor(3, 38).lightness() > 200 || focused.pixelColor(2, 38).lightness() < 80, true);
    QCOMPARE(focused.pixelColor(38, 38), QColor(200, 30, 30));
    QVERIFY(focused != unfocused);
}

QTEST_MAIN(TestFacePicture)
#include "tst_facepicture.moc"
