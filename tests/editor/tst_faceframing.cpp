#include "core/CubeFile.h"
#include "core/FramedPicture.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/SmartCrop.h"
#include "core/Startup.h"
#include "editor/FaceFramer.h"
#include "editor/FramingDialog.h"
#include "editor/FramingView.h"
#include "editor/TopForm.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QAction>
#include <QCheckBox>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

using namespace TestPictures;

Q_DECLARE_METATYPE(FaceFraming)

namespace {
void Wheel(QWidget *widget, QPointF at, int notches)
{
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

void Drag(QWidget *widget, QPoint from, QPoint by)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 4; ++step) {
        QMouseEvent move(QEvent::MouseMove, from + by * step / 4, widget->mapToGlobal(from + by * step / 4),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, from + by);
}
} // namespace

// Framing a face: the framer's arithmetic, the editor's drag, wheel and
// commands, and the framing dialog.
class TestFaceFraming : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void photoFollowsThePointer_data();
    void photoFollowsThePointer();
    void zoomKeepsThePointUnderThePointer_data();
    void zoomKeepsThePointUnderThePointer();
    void keptPictureIsNotDecodedAgain();
    void dragOnTheFaceIsOneStep();
    void wheelOnTheFaceIsOneStep();
    void commandsAreStepsAndKept();
    void newPhotosFollowTheRememberedChoice();
    void fillCentresOnTheFace();
    void pinchZooms();
    void lowResolutionIsMarked();
    void dialogByKeyboard();

private:
    QString photo(QSize size);
    FaceFraming framingOf(int face) const { return m_form->cube.Face(face).framing(); }

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<TopForm> m_form;
};

void TestFaceFraming::init()
{
    m_env.reset(new TestEnvironment);
    Startup::Run();
    m_form.reset(new TopForm);
    m_form->Form_Load();
    m_form->show();
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
}

void TestFaceFraming::cleanup()
{
    m_form.reset();
    m_env.reset();
}

QString TestFaceFraming::photo(QSize size)
{
    return WriteFile(m_env->path(QStringLiteral("photos/%1x%2.png").arg(size.width()).arg(size.height())),
                     Encode(Quadrants(size), "png"));
}

void TestFaceFraming::photoFollowsThePointer_data()
{
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<int>("turn");
    QTest::addColumn<QPointF>("by");
    QTest::addColumn<QRect>("square");
    // The middle square of 4000 x 3000 is 3000 wide; on a face of 100
    // pixels one pixel is 30 of the photo's.
    QTest::newRow("right") << QSize(4000, 3000) << 0 << QPointF(10, 0) << QRect(200, 0, 3000, 3000);
    QTest::newRow("left past the edge") << QSize(4000, 3000) << 0 << QPointF(-100, 0) << QRect(1000, 0, 3000, 3000);
    QTest::newRow("turned right, dragged right") << QSize(3000, 4000) << 90 << QPointF(10, 0)
                                                 << QRect(0, 800, 3000, 3000);
    QTest::newRow("upside down, dragged down") << QSize(3000, 4000) << 180 << QPointF(0, 10)
                                               << QRect(0, 800, 3000, 3000);
    QTest::newRow("turned left, dragged right") << QSize(3000, 4000) << 270 << QPointF(10, 0)
                                                << QRect(0, 200, 3000, 3000);
}

// On the face as shown, turned or not, the photo moves the way it is
// dragged: the square moves the other way across the upright photo.
void TestFaceFraming::photoFollowsThePointer()
{
    QFETCH(QSize, upright);
    QFETCH(int, turn);
    QFETCH(QPointF, by);
    QFETCH(QRect, square);
    FaceFramer framer;
    QVERIFY(framer.Take(CubeFace::Photo(photo(upright))));
    const FaceFraming moved = framer.Moved(FaceFraming().Filled().Turned(turn), by, 100);
    QCOMPARE(moved.mode, FaceFraming::Mode::Fill);
    QCOMPARE(moved.square, square);
    QCOMPARE(moved.turn, turn);
    // A fitted face starts from its middle square.
    QCOMPARE(framer.Moved(FaceFraming().Turned(turn), by, 100).square, square);
}

void TestFaceFraming::zoomKeepsThePointUnderThePointer_data()
{
    QTest::addColumn<int>("turn");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QRect>("square");
    // Twice as close about the top left quarter's middle: photo point
    // (1250, 750) stays a quarter in.
    QTest::newRow("in, upright") << 0 << QPointF(25, 25) << 2.0 << QRect(875, 375, 1500, 1500);
    QTest::newRow("in, turned") << 90 << QPointF(75, 25) << 2.0 << QRect(875, 375, 1500, 1500);
    QTest::newRow("in to a photo pixel a print pixel") << 0 << QPointF(50, 50) << 100.0 << QRect(1640, 1140, 720, 720);
    QTest::newRow("out no further than the photo") << 0 << QPointF(50, 50) << 0.1 << QRect(500, 0, 3000, 3000);
}

void TestFaceFraming::zoomKeepsThePointUnderThePointer()
{
    QFETCH(int, turn);
    QFETCH(QPointF, at);
    QFETCH(double, factor);
    QFETCH(QRect, square);
    FaceFramer framer;
    QVERIFY(framer.Take(CubeFace::Photo(photo(QSize(4000, 3000)))));
    QCOMPARE(framer.Zoomed(FaceFraming().Filled().Turned(turn), factor, at, 100).square, square);
}

// The framer draws each step from the picture it keeps, which is the face
// the build makes from the whole photo.
void TestFaceFraming::keptPictureIsNotDecodedAgain()
{
    const QString path = photo(QSize(2400, 1600));
    FaceFramer framer;
    QVERIFY(framer.Take(CubeFace::Photo(path)));
    const qint64 kept = framer.picture().cacheKey();
    QVERIFY(framer.Take(CubeFace::Photo(path).Turned(90)));
    QCOMPARE(framer.picture().cacheKey(), kept);
    QCOMPARE(framer.picture().size(), QSize(1024, 682));
    const FaceFraming framing = FaceFraming().Filled(QRect(1300, 0, 780, 780));
    Pixlet source;
    source.setSourceFile(path);
    const QImage fromPhoto = FramedPicture::FromSource(source, framing, 77).picture;
    QVERIFY(AreaIs(framer.Picture(framing, 77), QRect(8, 8, 60, 60), Qt::green));
    QVERIFY(AreaIs(fromPhoto, QRect(8, 8, 60, 60), Qt::green));
}

void TestFaceFraming::dragOnTheFaceIsOneStep()
{
    QVERIFY(m_form->faceCommands.PutPhoto(2, photo(QSize(2400, 1200)), 2, Msg::InsertPhotoStep));
    FacePicture *face = m_form->Image1[2];
    const int steps = m_form->undoStack.count();
    const QImage before = face->pixmap().toImage();
    Drag(face, QPoint(40, 40), QPoint(-20, 0));
    // 20 of the face's 77 pixels, of a 1200-pixel square.
    const int moved = qRound(20 * 1200 / double(face->width()));
    QCOMPARE(framingOf(2).square, QRect(600 + moved, 0, 1200, 1200));
    QCOMPARE(m_form->undoStack.count(), steps + 1);
    QCOMPARE(m_form->undoStack.undoText(), QStringLiteral("Move Photo"));
    QVERIFY(face->pixmap().toImage() != before);
    m_form->undoStack.undo();
    QCOMPARE(framingOf(2), FaceFraming());
    // A drag on a face that is not the current one moves nothing.
    Drag(m_form->Image1[0], QPoint(40, 40), QPoint(-20, 0));
    QCOMPARE(framingOf(0), FaceFraming());
}

void TestFaceFraming::wheelOnTheFaceIsOneStep()
{
    QVERIFY(m_form->faceCommands.PutPhoto(1, photo(QSize(1600, 1200)), 1, Msg::InsertPhotoStep));
    const int steps = m_form->undoStack.count();
    FacePicture *face = m_form->Image1[1];
    const QPointF corner(0, 0);
    Wheel(face, corner, 1);
    Wheel(face, corner, 1);
    // The top left corner stays under the pointer: 1.2 twice from 1200.
    QCOMPARE(framingOf(1), FaceFraming());
    QTRY_COMPARE(m_form->undoStack.count(), steps + 1);
    QCOMPARE(m_form->undoStack.undoText(), QStringLiteral("Zoom Photo"));
    QCOMPARE(framingOf(1).square, QRect(200, 0, 833, 833));
}

void TestFaceFraming::commandsAreStepsAndKept()
{
    QVERIFY(m_form->faceCommands.PutPhoto(0, photo(QSize(1600, 1200)), 0, Msg::InsertPhotoStep));
    const struct
    {
        QAction *action;
        QString step;
        FaceFraming framing;
    } commands[] = {
        {m_form->actions->FillFace, "Fill Face", FaceFraming().Filled()},
        {m_form->actions->TurnRight, "Turn Photo", FaceFraming().Filled().Turned(90)},
        {m_form->actions->FitFace, "Fit Face", FaceFraming().Turned(90)},
        {m_form->actions->BlurredBackdrop, "Change Backdrop",
         FaceFraming().Fitted(FaceFraming::Backdrop::Blurred).Turned(90)},
        {m_form->actions->ResetFraming, "Reset Framing", FaceFraming()},
    };
    for (const auto &command : commands) {
        QVERIFY(command.action->isEnabled());
        command.action->trigger();
        // Fill places its square on what matters in the photo.
        QCOMPARE(framingOf(0).Filled(), command.framing.Filled());
        QCOMPARE(framingOf(0).mode, command.framing.mode);
        QCOMPARE(m_form->undoStack.undoText(), command.step);
    }
    QVERIFY(!m_form->actions->BlurredBackdrop->isChecked());
    m_form->undoStack.undo();
    QVERIFY(m_form->actions->BlurredBackdrop->isChecked());
    const QString document = m_env->path(QStringLiteral("framed.vexilo"));
    QVERIFY(CubeFile::Save(m_form->cube.Content(), document));
    QCOMPARE(CubeFile::Load(document).content.faces[0].framing(), commands[3].framing);
}

void TestFaceFraming::newPhotosFollowTheRememberedChoice()
{
    QVERIFY(!m_form->actions->NewPhotosFill->isChecked());
    QVERIFY(m_form->faceCommands.PutPhoto(0, photo(QSize(1600, 1200)), 0, Msg::InsertPhotoStep));
    QCOMPARE(framingOf(0), FaceFraming());
    m_form->actions->NewPhotosFill->trigger();
    QVERIFY(Settings::newPhotosFill());
    QVERIFY(m_form->faceCommands.PutPhoto(1, photo(QSize(1600, 1200)), 1, Msg::InsertPhotoStep));
    QCOMPARE(framingOf(1).mode, FaceFraming::Mode::Fill);
    m_form->actions->NewPhotosFill->trigger();
    QVERIFY(!Settings::newPhotosFill());
}

// A photo whose person stands at its right end fills its face with the
// square that holds the face, not the middle one.
void TestFaceFraming::fillCentresOnTheFace()
{
    const QImage face(TestEnvironment::sourceDir() + QStringLiteral("/tests/core/data/messi.jpg"));
    QVERIFY(!face.isNull());
    QImage wide = Solid(QSize(1800, 600), QColor(90, 110, 90)).convertToFormat(QImage::Format_RGB32);
    QPainter(&wide).drawImage(QRect(1200, 0, 600, 600), face);
    const QString path = WriteFile(m_env->path(QStringLiteral("photos/person.jpg")), Encode(wide, "jpeg"));
    const QList<QRect> found = SmartCrop::Faces(wide);
    QVERIFY(!found.isEmpty());
    QVERIFY(m_form->faceCommands.PutPhoto(3, path, 3, Msg::InsertPhotoStep));
    m_form->actions->FillFace->trigger();
    const QRect square = framingOf(3).square;
    QCOMPARE(square.size(), QSize(600, 600));
    for (const QRect &person : found)
        QVERIFY2(square.contains(person), qPrintable(QStringLiteral("%1 not in %2").arg(person.x()).arg(square.x())));
    QCOMPARE(square.left(), 1200);
}

void TestFaceFraming::pinchZooms()
{
    QVERIFY(m_form->faceCommands.PutPhoto(4, photo(QSize(1600, 1200)), 4, Msg::InsertPhotoStep));
    FacePicture *face = m_form->Image1[4];
    QNativeGestureEvent pinch(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, QPointF(0, 0),
                              QPointF(0, 0), face->mapToGlobal(QPointF(0, 0)), 0.44, QPointF(), 0);
    QCoreApplication::sendEvent(face, &pinch);
    QTRY_COMPARE(m_form->undoStack.undoText(), QStringLiteral("Zoom Photo"));
    QCOMPARE(framingOf(4).square, QRect(200, 0, 833, 833));
}

// A face whose photo prints below 200 pixels per inch carries a sign, and
// its tip and accessible description tell the resolution.
void TestFaceFraming::lowResolutionIsMarked()
{
    QVERIFY(m_form->faceCommands.PutPhoto(0, photo(QSize(1600, 1200)), 0, Msg::InsertPhotoStep));
    QVERIFY(!m_form->Image1[0]->toolTip().contains(QStringLiteral("pixels per inch")));
    QVERIFY(m_form->faceCommands.PutPhoto(0, photo(QSize(400, 300)), 0, Msg::InsertPhotoStep));
    QVERIFY(m_form->Image1[0]->toolTip().endsWith(
        QStringLiteral("\nLow resolution: this face prints at 169 pixels per inch.  It prints sharp from 200.")));
    const QImage shown = m_form->Image1[0]->pixmap().toImage();
    QVERIFY(Near(shown.pixelColor(shown.width() - 13, shown.height() - 6), QColor(255, 200, 0), 60));
    m_form->actions->FillFace->trigger();
    QVERIFY(m_form->Image1[0]->toolTip().contains(QStringLiteral("at 127 pixels per inch")));
}

// Every control of the dialog is reached by keys: the view moves and zooms
// its square with the arrows and + and -.
void TestFaceFraming::dialogByKeyboard()
{
    FaceFramer framer;
    QVERIFY(framer.Take(CubeFace::Photo(photo(QSize(4000, 3000)))));
    FramingDialog dialog(framer, FaceFraming().Filled(), FaceFraming(), m_form.data());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.View->hasFocus());
    QVERIFY(!dialog.View->accessibleName().isEmpty());
    QTest::keyClick(dialog.View, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(dialog.framing().square, QRect(200, 0, 3000, 3000));
    QTest::keyClick(dialog.View, Qt::Key_Plus);
    QCOMPARE(dialog.framing().square.width(), 2727);
    // Down by a hundredth of the square's edge.
    const int top = dialog.framing().square.top();
    QTest::keyClick(dialog.View, Qt::Key_Down);
    QVERIFY(qAbs(dialog.framing().square.top() - (top + 27)) <= 1);
    QVERIFY(!dialog.Blurred->isEnabled());
    dialog.Fit->click();
    QVERIFY(dialog.Blurred->isEnabled());
    dialog.Blurred->click();
    QCOMPARE(dialog.framing(), FaceFraming().Fitted(FaceFraming::Backdrop::Blurred));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestFaceFraming)
#include "tst_faceframing.moc"
