#include "core/CubeEdits.h"
#include "core/CubeModel.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "editor/FaceCommands.h"
#include "editor/FaceThumbnails.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>
#include <QUrl>

#include <functional>

using namespace TestPictures;

// The face commands on a cube of their own, without a window: each change
// is one step that undo takes back whole and redo makes again.
class TestCubeUndo : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyCommandUndoesAndRedoes_data();
    void everyCommandUndoesAndRedoes();
    void refusedCommandsLeaveNoStep_data();
    void refusedCommandsLeaveNoStep();
    void typingIsOneStep();
    void undoMarksTheFaceForRebuilding();
    void signalsFollowTheModel();

private:
    QString photo(const QString &name, const QColor &color);

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<CubeModel> m_cube;
    QScopedPointer<QUndoStack> m_undo;
    QScopedPointer<FaceThumbnails> m_thumbnails;
    QScopedPointer<FaceCommands> m_commands;
};

using Command = std::function<void(FaceCommands &, CubeModel &, QUndoStack &, const QString &photo)>;
Q_DECLARE_METATYPE(Command)

void TestCubeUndo::init()
{
    m_env.reset(new TestEnvironment);
    m_cube.reset(new CubeModel);
    m_undo.reset(new QUndoStack);
    m_thumbnails.reset(new FaceThumbnails);
    m_thumbnails->setWorkDirectory(m_env->root());
    m_commands.reset(new FaceCommands(*m_cube, *m_undo, *m_thumbnails));
    QGuiApplication::clipboard()->clear();
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
    // A cube with something on faces 0 and 2, and face 2 current.
    m_cube->SetFace(0, CubeFace::Photo(photo(QStringLiteral("first.jpg"), Qt::red)));
    m_cube->SetFace(2, CubeFace::Pasted(Solid(QSize(30, 20), Qt::green)));
    m_cube->SetCaption(QStringLiteral("Holidays"));
    m_cube->SetCurrentFace(2);
}

void TestCubeUndo::cleanup()
{
    m_commands.reset();
    m_env.reset();
    MessageSeam::reset();
}

QString TestCubeUndo::photo(const QString &name, const QColor &color)
{
    return WriteFile(m_env->path(QStringLiteral("photos/") + name), Encode(Solid(QSize(80, 60), color), "jpeg"));
}

void TestCubeUndo::everyCommandUndoesAndRedoes_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("stepName");
    QTest::newRow("insert") << Command([](FaceCommands &c, CubeModel &cube, QUndoStack &, const QString &p) {
        c.PutPhoto(cube.CurrentFace(), p, cube.NextFace(), Msg::InsertPhotoStep);
    }) << "Insert Photo";
    QTest::newRow("remove") << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &) { c.RemoveFace(); })
                            << "Remove Photo";
    QTest::newRow("cut") << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &) { c.CutFace(); })
                         << "Cut Photo";
    QTest::newRow("paste") << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &) {
        QGuiApplication::clipboard()->setImage(Solid(QSize(40, 40), Qt::blue));
        c.PasteFace();
    }) << "Paste Photo";
    QTest::newRow("drop on another face") << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &p) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(p)});
        qint32 effect = 0;
        c.DropFiles(4, &data, effect);
    }) << "Drop Photo";
    QTest::newRow("turn") << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &) {
        c.TurnFace(-90);
    }) << "Turn Photo";
    QTest::newRow("caption") << Command([](FaceCommands &, CubeModel &cube, QUndoStack &undo, const QString &) {
        undo.push(new CaptionEdit(cube, QStringLiteral("Summer"), QStringLiteral("Type Caption")));
    }) << "Type Caption";
}

void TestCubeUndo::everyCommandUndoesAndRedoes()
{
    QFETCH(Command, command);
    QFETCH(QString, stepName);
    const CubeContent before = m_cube->Content();
    command(*m_commands, *m_cube, *m_undo, photo(QStringLiteral("new photo ü.jpg"), Qt::yellow));
    QCOMPARE(m_undo->count(), 1);
    QCOMPARE(m_undo->undoText(), stepName);
    const CubeContent changed = m_cube->Content();
    const int currentChanged = m_cube->CurrentFace();

    QVERIFY(!(changed == before));

    m_undo->undo();
    QVERIFY(m_cube->Content() == before);
    QCOMPARE(m_cube->CurrentFace(), 2);

    m_undo->redo();
    QVERIFY(m_cube->Content() == changed);
    QCOMPARE(m_cube->CurrentFace(), currentChanged);
}

void TestCubeUndo::refusedCommandsLeaveNoStep_data()
{
    QTest::addColumn<Command>("command");
    QTest::newRow("insert of a file that is no picture")
        << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &notAPhoto) {
               c.PutPhoto(2, notAPhoto, 3, Msg::InsertPhotoStep);
           });
    QTest::newRow("paste of an empty clipboard")
        << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &) { c.PasteFace(); });
    QTest::newRow("remove of an empty face") << Command([](FaceCommands &c, CubeModel &cube, QUndoStack &, const QString &) {
        cube.SetCurrentFace(5);
        c.RemoveFace();
    });
    QTest::newRow("copy") << Command([](FaceCommands &c, CubeModel &, QUndoStack &, const QString &) { c.CopyFace(); });
}

void TestCubeUndo::refusedCommandsLeaveNoStep()
{
    QFETCH(Command, command);
    const CubeContent before = m_cube->Content();
    command(*m_commands, *m_cube, *m_undo, WriteFile(m_env->path(QStringLiteral("words.jpg")), "words"));
    QCOMPARE(m_undo->count(), 0);
    QVERIFY(m_cube->Content() == before);
}

void TestCubeUndo::typingIsOneStep()
{
    for (const QString &text : {QStringLiteral("S"), QStringLiteral("Su"), QStringLiteral("Sun")})
        m_undo->push(new CaptionEdit(*m_cube, text, QStringLiteral("Type Caption")));
    QCOMPARE(m_undo->count(), 1);
    m_commands->RemoveFace();
    m_undo->push(new CaptionEdit(*m_cube, QStringLiteral("Sunny"), QStringLiteral("Type Caption")));
    QCOMPARE(m_undo->count(), 3);
    m_undo->undo();
    m_undo->undo();
    QCOMPARE(m_cube->Caption(), QStringLiteral("Sun"));
    m_undo->undo();
    QCOMPARE(m_cube->Caption(), QStringLiteral("Holidays"));
}

void TestCubeUndo::undoMarksTheFaceForRebuilding()
{
    m_commands->RemoveFace();
    m_cube->MarkFaceBuilt(2);
    m_undo->undo();
    QVERIFY(m_cube->FaceChanged(2));
    QCOMPARE(m_cube->FaceSource(2), QStringLiteral("Clipboard"));
}

void TestCubeUndo::signalsFollowTheModel()
{
    QSignalSpy faces(m_cube.data(), &CubeModel::faceChanged);
    QSignalSpy current(m_cube.data(), &CubeModel::currentFaceChanged);
    QSignalSpy caption(m_cube.data(), &CubeModel::captionChanged);
    m_commands->PutPhoto(2, photo(QStringLiteral("b.jpg"), Qt::blue), 3, Msg::InsertPhotoStep);
    QCOMPARE(faces.size(), 1);
    QCOMPARE(faces.at(0).at(0).toInt(), 2);
    QCOMPARE(current.size(), 1);
    QCOMPARE(current.at(0), (QVariantList{2, 3}));
    m_cube->SetCaption(QStringLiteral("Holidays"));
    QCOMPARE(caption.size(), 0);
    m_cube->SetCurrentFace(3);
    QCOMPARE(current.size(), 1);
}

QTEST_MAIN(TestCubeUndo)
#include "tst_cubeundo.moc"
