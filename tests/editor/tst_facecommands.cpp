#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/CubeFile.h"
#include "core/MessageIds.h"
#include "core/Startup.h"
#include "editor/FaceCommands.h"
#include "editor/FacePicture.h"
#include "editor/TopForm.h"
#include "tests/support/MenuPosition.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TestPictures.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

#include <sys/fsuid.h>
#include <unistd.h>

using namespace TestPictures;

namespace {

enum Outcome {
    Taken,
    RefusedSilently,
    Message15,
    Message16,
    Message186, // too large
};

struct DropResult
{
    bool accepted;
    Qt::DropAction action;
};

// The drag enters the face, then drops there, as a file manager's drag does.
DropResult DropOn(QWidget *face, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(face, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(face, &drop);
    return {drop.isAccepted(), drop.dropAction()};
}

QImage PictureOf(FacePicture *face)
{
    return face->pixmap().toImage();
}

// What a face shows and holds, to tell that nothing changed.
struct FaceState
{
    QString source;
    qint16 changed;
    QImage picture;
    bool operator==(const FaceState &o) const = default;
};

} // namespace

// Face commands and photo drops through the real editor window.
class TestFaceCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadPreparesThumbnailGenerator();
    void clickMakesFaceCurrent();
    void contextMenu_data();
    void contextMenu();
    void removeKeepsFrameAndHidesButton();
    void copyPutsFullPhotoOnClipboard();
    void cutThenPasteOnAnotherFace();
    void copyOfVanishedPhotoLeavesClipboard();
    void pasteFailure_data();
    void pasteFailure();
    void sixPastes();
    void sixDrops();
    void drop_data();
    void drop();
    void dropUsesFirstFileOnly();
    void dropAfterPasteReadsTheFile();
    void unreadableFileIsRefusedSilently();
    void onlyFacePicturesTakeDrops();
    void cubeDocumentDroppedAnywhereOpens();
    void openCubeTellsWhatCouldNotBeOpened_data();
    void openCubeTellsWhatCouldNotBeOpened();

private:
    QString photo(const QString &name, const QColor &color, QSize size = QSize(400, 300));
    FaceState stateOf(int face) const;
    void selectFace(int face);

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<TopForm> m_form;
    QList<Qt::CursorShape> m_cursorAtMessage;
};

void TestFaceCommands::init()
{
    m_env.reset(new TestEnvironment);
    Startup::Run();
    m_form.reset(new TopForm);
    m_form->Form_Load();
    m_form->show();
    QGuiApplication::clipboard()->clear();
    m_cursorAtMessage.clear();
    MessageSeam::setMessageHandler([this](int, MsgButtons) {
        m_cursorAtMessage << m_form->cursor().shape();
        return int(IDOK);
    });
}

void TestFaceCommands::cleanup()
{
    m_form.reset();
    m_env.reset();
}

QString TestFaceCommands::photo(const QString &name, const QColor &color, QSize size)
{
    return WriteFile(m_env->path(QStringLiteral("photos/") + name), Encode(Solid(size, color), "jpeg"));
}

FaceState TestFaceCommands::stateOf(int face) const
{
    return {m_form->cube.FaceSource(face), (m_form->cube.FaceChanged(face) ? True : False), PictureOf(m_form->Image1[face])};
}

void TestFaceCommands::selectFace(int face)
{
    QTest::mouseClick(m_form->Image1[face], Qt::LeftButton);
}

void TestFaceCommands::loadPreparesThumbnailGenerator()
{
    QCOMPARE(m_form->Pixlet1.backColor(), QColor(Qt::white));
    QCOMPARE(m_form->Pixlet1.member11(), qint16(64));
}

void TestFaceCommands::clickMakesFaceCurrent()
{
    selectFace(4);
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(4));
    for (int i = 0; i < FaceCount; ++i) {
        QCOMPARE(m_form->SelectionBox[i]->isVisible(), i == 4);
        QCOMPARE(m_form->ContextButton[i]->isVisible(), i == 4);
    }
}

void TestFaceCommands::contextMenu_data()
{
    QTest::addColumn<bool>("facePhoto");
    QTest::addColumn<QString>("clipboard"); // "image", "text" or empty
    QTest::addColumn<bool>("pasteEnabled");
    QTest::newRow("empty face, empty clipboard") << false << QString() << false;
    QTest::newRow("empty face, picture on clipboard") << false << "image" << true;
    QTest::newRow("empty face, text on clipboard") << false << "text" << false;
    QTest::newRow("photo, empty clipboard") << true << QString() << false;
    QTest::newRow("photo, picture on clipboard") << true << "image" << true;
}

void TestFaceCommands::contextMenu()
{
    QFETCH(bool, facePhoto);
    QFETCH(QString, clipboard);
    QFETCH(bool, pasteEnabled);
    const int face = 2;
    if (facePhoto)
        DropOn(m_form->Image1[face], {QUrl::fromLocalFile(photo(QStringLiteral("a.jpg"), Qt::red))});
    if (clipboard == QLatin1String("image"))
        QGuiApplication::clipboard()->setImage(Solid(QSize(10, 10), Qt::blue));
    else if (clipboard == QLatin1String("text"))
        QGuiApplication::clipboard()->setText(QStringLiteral("words"));
    selectFace(face);
    QTest::mouseClick(m_form->ContextButton[face], Qt::LeftButton);
    QVERIFY(m_form->ContextMenu->isVisible());
    QCOMPARE(m_form->Remove->isEnabled(), facePhoto);
    QCOMPARE(m_form->Cut->isEnabled(), facePhoto);
    QCOMPARE(m_form->Copy->isEnabled(), facePhoto);
    QCOMPARE(m_form->Paste->isEnabled(), pasteEnabled);
    QCOMPARE(m_form->Remove->text(), QStringLiteral("&Remove"));
    QCOMPARE(m_form->Cut->text(), QStringLiteral("C&ut"));
    QCOMPARE(m_form->Copy->text(), QStringLiteral("&Copy"));
    QCOMPARE(m_form->Paste->text(), QStringLiteral("&Paste"));
    const QList<QAction *> items = m_form->ContextMenu->actions();
    QCOMPARE(items.mid(0, 5), (QList<QAction *>{m_form->Remove, m_form->Sep, m_form->Cut, m_form->Copy, m_form->Paste}));
    const CubeActions *actions = m_form->actions;
    QCOMPARE(items.mid(6), (QList<QAction *>{actions->TurnLeft, actions->TurnRight, actions->FillFace, actions->FitFace,
                                             actions->BlurredBackdrop, actions->ResetFraming, actions->FramePhoto}));
    QCOMPARE(m_form->actions->TurnLeft->isEnabled(), facePhoto);
    QVERIFY(m_form->Sep->isSeparator());
    QCOMPARE(m_form->ContextMenu->pos(), FaceMenuPosition(*m_form->ContextButton[face], *m_form->ContextMenu));
    m_form->ContextMenu->hide();
}

void TestFaceCommands::removeKeepsFrameAndHidesButton()
{
    DropOn(m_form->Image1[1], {QUrl::fromLocalFile(photo(QStringLiteral("a.jpg"), Qt::red))});
    m_form->cube.MarkFaceBuilt(1);
    selectFace(1);
    m_form->Remove->trigger();
    QCOMPARE(m_form->cube.FaceSource(1), QString());
    QCOMPARE((m_form->cube.FaceChanged(1) ? True : False), True);
    QCOMPARE(PictureOf(m_form->Image1[1]), PictureOf(m_form->Image1[7]));
    QVERIFY(m_form->SelectionBox[1]->isVisible());
    QVERIFY(!m_form->ContextButton[1]->isVisible());
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(1));
    selectFace(1);
    QVERIFY(m_form->ContextButton[1]->isVisible());
}

void TestFaceCommands::copyPutsFullPhotoOnClipboard()
{
    DropOn(m_form->Image1[0], {QUrl::fromLocalFile(photo(QStringLiteral("big.jpg"), Qt::red, QSize(640, 480)))});
    selectFace(0);
    const FaceState before = stateOf(0);
    m_form->Copy->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(640, 480));
    QVERIFY(Near(copied.pixelColor(300, 200), Qt::red));
    QCOMPARE(stateOf(0), before);
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
}

void TestFaceCommands::cutThenPasteOnAnotherFace()
{
    DropOn(m_form->Image1[1], {QUrl::fromLocalFile(photo(QStringLiteral("a.jpg"), Qt::green, QSize(300, 500)))});
    selectFace(1);
    m_form->Cut->trigger();
    QCOMPARE(m_form->cube.FaceSource(1), QString());
    QCOMPARE(PictureOf(m_form->Image1[1]), PictureOf(m_form->Image1[7]));
    QVERIFY(!m_form->ContextButton[1]->isVisible());

    selectFace(4);
    m_form->cube.MarkFaceBuilt(4);
    m_form->Paste->trigger();
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QCOMPARE(m_form->cube.FaceSource(4), ClipboardSource);
    QCOMPARE((m_form->cube.FaceChanged(4) ? True : False), True);
    QCOMPARE(m_form->faceCommands.LEAD1[4].image().size(), QSize(300, 500));
    const QImage shown = PictureOf(m_form->Image1[4]);
    QCOMPARE(shown.size(), QSize(77, 77));
    QVERIFY(Near(shown.pixelColor(38, 38), Qt::green));
    QVERIFY(Near(shown.pixelColor(3, 38), Qt::white));
    QVERIFY(!QFileInfo::exists(m_form->thumbnails.ThumbnailFile(4)));
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(4));
    QVERIFY(m_form->ContextButton[4]->isVisible());
}

void TestFaceCommands::copyOfVanishedPhotoLeavesClipboard()
{
    // The face's imaging control still holds an earlier picture.
    QGuiApplication::clipboard()->setImage(Solid(QSize(30, 30), Qt::blue));
    selectFace(0);
    m_form->Paste_Click();
    const QString path = photo(QStringLiteral("gone.jpg"), Qt::red);
    DropOn(m_form->Image1[0], {QUrl::fromLocalFile(path)});
    QFile::remove(path);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    selectFace(0);
    m_form->Copy->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    m_form->Cut->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QCOMPARE(m_form->cube.FaceSource(0), QString());
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestFaceCommands::pasteFailure_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("empty clipboard") << QString();
    QTest::newRow("text on clipboard") << QStringLiteral("no picture here");
}

void TestFaceCommands::pasteFailure()
{
    QFETCH(QString, clipboard);
    DropOn(m_form->Image1[3], {QUrl::fromLocalFile(photo(QStringLiteral("a.jpg"), Qt::red))});
    if (!clipboard.isEmpty())
        QGuiApplication::clipboard()->setText(clipboard);
    selectFace(3);
    const FaceState before = stateOf(3);
    m_form->Paste_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{20});
    QCOMPARE(m_cursorAtMessage, QList<Qt::CursorShape>{Qt::ArrowCursor});
    QCOMPARE(stateOf(3), before);
}

void TestFaceCommands::sixPastes()
{
    const QColor colors[FaceCount] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
    for (int i = 0; i < FaceCount; ++i) {
        QGuiApplication::clipboard()->setImage(Solid(QSize(50 + i, 50), colors[i]));
        selectFace(i);
        QTest::mouseClick(m_form->ContextButton[i], Qt::LeftButton);
        QVERIFY(m_form->Paste->isEnabled());
        m_form->Paste->trigger();
        m_form->ContextMenu->hide();
    }
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    for (int i = 0; i < FaceCount; ++i) {
        QCOMPARE(m_form->cube.FaceSource(i), ClipboardSource);
        QCOMPARE(m_form->faceCommands.LEAD1[i].image().width(), 50 + i);
        QVERIFY(Near(PictureOf(m_form->Image1[i]).pixelColor(38, 38), colors[i]));
    }
}

void TestFaceCommands::sixDrops()
{
    const QColor colors[FaceCount] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
    const int order[FaceCount] = {3, 0, 5, 1, 4, 2};
    for (int face : order) {
        const QString path = photo(QStringLiteral("face%1.jpg").arg(face), colors[face]);
        const DropResult result = DropOn(m_form->Image1[face], {QUrl::fromLocalFile(path)});
        QVERIFY(result.accepted);
        QCOMPARE(result.action, Qt::CopyAction);
        QCOMPARE(m_form->cube.FaceSource(face), path);
        QCOMPARE((m_form->cube.FaceChanged(face) ? True : False), True);
        QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(face));
        for (int i = 0; i < FaceCount; ++i) {
            QCOMPARE(m_form->SelectionBox[i]->isVisible(), i == face);
            QVERIFY(!m_form->ContextButton[i]->isVisible());
        }
        QVERIFY(!QFileInfo::exists(m_form->thumbnails.ThumbnailFile(face)));
    }
    for (int i = 0; i < FaceCount; ++i) {
        const QImage shown = PictureOf(m_form->Image1[i]);
        QCOMPARE(shown.size(), QSize(77, 77));
        QVERIFY(Near(shown.pixelColor(38, 38), colors[i]));
    }
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
}

void TestFaceCommands::drop_data()
{
    QTest::addColumn<QString>("name"); // empty: no file at all
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("outcome");
    const QByteArray jpeg = Encode(Solid(QSize(120, 90), Qt::blue), "jpeg");
    const QByteArray bmp = Encode(Solid(QSize(120, 90), Qt::blue), "bmp");
    QByteArray noise(3000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 131 + 7) % 253);
    QTest::newRow("a.jpg") << "a.jpg" << jpeg << int(Taken);
    QTest::newRow("a.JPG") << "a.JPG" << jpeg << int(Taken);
    QTest::newRow("a.jpeg") << "a.jpeg" << jpeg << int(Taken);
    QTest::newRow("A.JPEG") << "A.JPEG" << jpeg << int(Taken);
    QTest::newRow("whole name jpeg") << "jpeg" << jpeg << int(Taken);
    QTest::newRow("a.bmp") << "a.bmp" << bmp << int(Taken);
    QTest::newRow("a.BMP") << "a.BMP" << bmp << int(Taken);
    QTest::newRow("a.Jpg") << "a.Jpg" << jpeg << int(Taken);
    QTest::newRow("a.Jpeg") << "a.Jpeg" << jpeg << int(Taken);
    QTest::newRow("a.gif") << "a.gif" << QByteArray("GIF89a") << int(Message16);
    QTest::newRow("a.png") << "a.png" << Encode(Solid(QSize(20, 20), Qt::blue), "png") << int(Taken);
    QTest::newRow("png named txt") << "picture.txt" << Encode(Solid(QSize(20, 20), Qt::blue), "png") << int(Taken);
    QTest::newRow("webp") << "a.webp" << Encode(Solid(QSize(20, 20), Qt::blue), "webp") << int(Taken);
    QTest::newRow("text named jpg") << "notes.jpg" << QByteArray("just words\n") << int(Message16);
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray() << int(Message16);
    QTest::newRow("truncated jpeg") << "cut.jpg" << jpeg.left(jpeg.size() * 2 / 3) << int(Message16);
    QTest::newRow("random bytes") << "noise.jpg" << noise << int(Message16);
    QTest::newRow("png named jpg") << "png.jpg" << Encode(Solid(QSize(20, 20), Qt::blue), "png") << int(Message16);
    QTest::newRow("30000 square header") << "huge.jpg" << JpegHeaderOnly(30000, 30000, 0xC0, 100, true)
                                         << int(Message16);
    QTest::newRow("png claiming 30000 square") << "huge.png" << TestFormats::PngClaiming(Solid(QSize(20, 20), Qt::blue), 30000, 30000)
                                               << int(Message186);
    QTest::newRow("vanished file") << "" << QByteArray() << int(RefusedSilently);
    QTest::newRow("folder") << "folder.jpg/" << QByteArray() << int(RefusedSilently);
}

void TestFaceCommands::drop()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, outcome);
    const int face = 5;
    DropOn(m_form->Image1[face], {QUrl::fromLocalFile(photo(QStringLiteral("earlier.jpg"), Qt::red))});
    selectFace(0);
    m_form->cube.MarkFaceBuilt(face);
    const FaceState before = stateOf(face);

    QString path = m_env->path(QStringLiteral("dropped/") + (name.isEmpty() ? QStringLiteral("gone.jpg") : name));
    if (name.endsWith(QLatin1Char('/'))) {
        QDir().mkpath(path);
        path.chop(1);
    } else if (!name.isEmpty()) {
        WriteFile(path, bytes);
    }
    const DropResult result = DropOn(m_form->Image1[face], {QUrl::fromLocalFile(path)});

    const QList<int> expectedMessages = outcome == Message15    ? QList<int>{15}
                                        : outcome == Message16  ? QList<int>{16}
                                        : outcome == Message186 ? QList<int>{186}
                                                                : QList<int>{};
    QCOMPARE(MessageSeam::shownMessages(), expectedMessages);
    // Message 15 comes under the hourglass; messages 16 and 186 before it is set.
    if (outcome == Message15)
        QCOMPARE(m_cursorAtMessage, QList<Qt::CursorShape>{Qt::WaitCursor});
    if (outcome == Message16 || outcome == Message186)
        QCOMPARE(m_cursorAtMessage, QList<Qt::CursorShape>{Qt::ArrowCursor});
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(result.accepted, outcome == Taken || outcome == Message15);
    if (outcome == Taken) {
        QCOMPARE(m_form->cube.FaceSource(face), path);
        QCOMPARE((m_form->cube.FaceChanged(face) ? True : False), True);
        QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(face));
        QVERIFY(Near(PictureOf(m_form->Image1[face]).pixelColor(38, 38), Qt::blue));
    } else {
        QCOMPARE(stateOf(face), before);
        QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(0));
        QVERIFY(m_form->SelectionBox[0]->isVisible());
    }
}

void TestFaceCommands::dropUsesFirstFileOnly()
{
    const QString first = photo(QStringLiteral("first.jpg"), Qt::green);
    DropOn(m_form->Image1[2],
           {QUrl::fromLocalFile(first), QUrl::fromLocalFile(photo(QStringLiteral("second.jpg"), Qt::red)),
            QUrl::fromLocalFile(photo(QStringLiteral("third.jpg"), Qt::blue))});
    QCOMPARE(m_form->cube.FaceSource(2), first);
    QVERIFY(Near(PictureOf(m_form->Image1[2]).pixelColor(38, 38), Qt::green));
}

void TestFaceCommands::dropAfterPasteReadsTheFile()
{
    QGuiApplication::clipboard()->setImage(Solid(QSize(40, 40), Qt::blue));
    selectFace(0);
    m_form->Paste_Click();
    QCOMPARE(m_form->cube.FaceSource(0), ClipboardSource);
    DropOn(m_form->Image1[1], {QUrl::fromLocalFile(photo(QStringLiteral("red.jpg"), Qt::red))});
    QVERIFY(Near(PictureOf(m_form->Image1[1]).pixelColor(38, 38), Qt::red));
    QVERIFY(m_form->faceCommands.PutPhoto(2, photo(QStringLiteral("green.jpg"), Qt::green), 2, Msg::InsertPhotoStep));
    QVERIFY(Near(PictureOf(m_form->Image1[2]).pixelColor(38, 38), Qt::green));
}

void TestFaceCommands::unreadableFileIsRefusedSilently()
{
    const QString path = photo(QStringLiteral("locked.jpg"), Qt::red);
    QFile::setPermissions(path, {});
    QFile::setPermissions(m_env->root(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const FaceState before = stateOf(3);
    // The super-user reads every file; drop it as another user would.
    const uid_t saved = setfsuid(geteuid() == 0 ? 65534 : geteuid());
    const DropResult result = DropOn(m_form->Image1[3], {QUrl::fromLocalFile(path)});
    setfsuid(saved);
    QVERIFY(!result.accepted);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QCOMPARE(stateOf(3), before);
}

void TestFaceCommands::onlyFacePicturesTakeDrops()
{
    for (int i = 0; i < FaceCount; ++i) {
        QVERIFY(m_form->Image1[i]->acceptDrops());
        QVERIFY(!m_form->Image1[i + 6]->acceptDrops());
        QVERIFY(!m_form->ContextButton[i]->acceptDrops());
    }
    QVERIFY(!m_form->Caption1->acceptDrops());

    QMimeData text;
    text.setText(QStringLiteral("words"));
    QDragEnterEvent enterText(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form->Image1[0], &enterText);
    QVERIFY(!enterText.isAccepted());
    qint32 effect = 1;
    m_form->Image1_OLEDragDrop(0, &text, effect);
    QCOMPARE(effect, 0);
    QCOMPARE(m_form->cube.FaceSource(0), QString());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(photo(QStringLiteral("a.jpg"), Qt::red))});
    QDragEnterEvent enterFiles(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form->Image1[0], &enterFiles);
    QVERIFY(enterFiles.isAccepted());
}

void TestFaceCommands::cubeDocumentDroppedAnywhereOpens()
{
    QMimeData photoFile;
    photoFile.setUrls({QUrl::fromLocalFile(photo(QStringLiteral("a.jpg"), Qt::red))});
    QDragEnterEvent enterPhoto(QPoint(5, 5), Qt::CopyAction, &photoFile, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form.data(), &enterPhoto);
    QVERIFY(!enterPhoto.isAccepted());

    CubeContent content;
    content.faces[4] = CubeFace::Photo(photo(QStringLiteral("b.jpg"), Qt::blue));
    content.caption = QStringLiteral("Dropped");
    const QString document = m_env->path(QStringLiteral("dropped cube.vexilo"));
    QVERIFY(CubeFile::Save(content, document));
    QVERIFY(DropOn(m_form.data(), {QUrl::fromLocalFile(document)}).accepted);
    QVERIFY(m_form->cube.Content() == content);
    QCOMPARE(m_form->Caption1->toPlainText(), QStringLiteral("Dropped"));
    QVERIFY(Near(PictureOf(m_form->Image1[4]).pixelColor(38, 38), Qt::blue));

    // On a face it opens the document too, rather than taking it as a photo.
    m_form->faceCommands.RemoveFace();
    m_form->cube.SetCurrentFace(4);
    m_form->faceCommands.RemoveFace();
    // The changes since are asked about first.
    QVERIFY(DropOn(m_form->Image1[1], {QUrl::fromLocalFile(document)}).accepted);
    QVERIFY(m_form->cube.Content() == content);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{Msg::SaveChangesQuestion});
}

void TestFaceCommands::openCubeTellsWhatCouldNotBeOpened_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QList<int>>("messages");
    QTest::addColumn<bool>("opened");
    QTest::newRow("a photo gone") << QByteArray("{\"format\": \"vexilo-cube\", \"version\": 1, \"caption\": \"Gone\", "
                                                "\"faces\": [{\"photo\": \"/no/such/photo.jpg\"}, {}, {}, {}, {}, {}]}")
                                  << QList<int>{Msg::CubePhotoGone} << true;
    QTest::newRow("damaged") << QByteArray("{\"format\": \"vexilo-cube\", \"vers") << QList<int>{Msg::CubeDamaged}
                             << false;
    QTest::newRow("from a newer version")
        << QByteArray("{\"format\": \"vexilo-cube\", \"version\": 2, \"faces\": []}") << QList<int>{Msg::CubeTooNew}
        << false;
}

void TestFaceCommands::openCubeTellsWhatCouldNotBeOpened()
{
    QFETCH(QByteArray, document);
    QFETCH(QList<int>, messages);
    QFETCH(bool, opened);
    DropOn(m_form->Image1[2], {QUrl::fromLocalFile(photo(QStringLiteral("kept.jpg"), Qt::red))});
    const CubeContent before = m_form->cube.Content();
    const QString path = WriteFile(m_env->path(QStringLiteral("cube.vexilo")), document);
    QCOMPARE(m_form->OpenCubeFile(path), opened);
    QCOMPARE(MessageSeam::shownMessages(), messages);
    if (opened) {
        QCOMPARE(m_form->cube.Caption(), QStringLiteral("Gone"));
        QVERIFY(m_form->cube.Face(0).isEmpty());
        QVERIFY(MessageSeam::shownTexts().constFirst().contains(QStringLiteral("/no/such/photo.jpg")));
    } else {
        QVERIFY(m_form->cube.Content() == before);
    }
}

QTEST_MAIN(TestFaceCommands)
#include "tst_facecommands.moc"
