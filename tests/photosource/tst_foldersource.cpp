#include "components/tbrowser/CatalogFile.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "editor/TopForm.h"
#include "photosource/BrowserState.h"
#include "photosource/CatalogMaker.h"
#include "photosource/FolderCatalog.h"
#include "photosource/FolderSource.h"
#include "photosource/PhotoBrowser.h"
#include "photosource/PhotoFolderChoice.h"
#include "photosource/TBrowserLibrary.h"
#include "platform/registry/RegEdit.h"
#include "resources/StringTable.h"
#include "tests/support/EditorLoading.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TestPictures.h"

#include <QAbstractItemModel>
#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <unistd.h>

using namespace TestPictures;

namespace {
const QString kCatalog = QStringLiteral("2003_07_04-09_15_00-0815");
const QList<QColor> kColours{Qt::red, Qt::green, Qt::blue, Qt::yellow};

// The super-user opens every folder: while this lasts, the test and the
// threads it starts look through another user's eyes, to whom everything
// below the root is open but the locked folders.
class AsAnotherUser
{
public:
    AsAnotherUser(const QString &root, const QStringList &locked)
    {
        const auto all = QFileDevice::Permissions(0x7777);
        QFile::setPermissions(root, all);
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            QFile::setPermissions(it.next(), all);
        for (const QString &folder : locked)
            QFile::setPermissions(folder, {});
        m_before = setfsuid(geteuid() == 0 ? 65534 : geteuid());
    }
    ~AsAnotherUser() { setfsuid(m_before); }

private:
    uid_t m_before;
};
} // namespace

// A photo folder in the real editor window's browser, when no Picture CD is
// in a drive: the same library, catalog format, notifications and commands.
class TestFolderSource : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void folderShownWithoutDisc();
    void discWinsOverFolder();
    void doubleClickAndInsertAsForDisc();
    void thumbnailDraggedOntoFace();
    void selectingGonePhotoDropsIt();
    void insertingGonePhotoDropsIt();
    void openFolderFromTrayMenu();
    void refreshFromTrayMenu();
    void folderDroppedOnBrowser();
    void heicAndAvifReachFaces();
    void closingStopsWork();
    void closingLeavesWorkerToFinish();
    void unwritableCacheStillShowsFolder();
    void manyFilesListedWhileEditorRuns();
    void closingWhileListingStops();
    void leftOutToldOverBrowser_data();
    void leftOutToldOverBrowser();
    void unreadableFolderTold_data();
    void unreadableFolderTold();
    void emptyFolderSaysWhatToDo_data();
    void emptyFolderSaysWhatToDo();
    void photoNameNotUtf8Told();

private:
    void load(bool discInDrive = false);
    QString photoPath(int i) const { return QStringLiteral("%1/Photo %2.jpg").arg(m_folder).arg(i + 1); }
    // The window the library has open; one it closed may await deletion.
    QListView *view() const
    {
        const QList<QListView *> views = m_form->SlideTray1->findChildren<QListView *>();
        return views.isEmpty() ? nullptr : views.constLast();
    }
    int rows() const
    {
        int32_t count = -1;
        Tb().TbGetItemCount(gBrowserWindow, &count);
        return count;
    }
    void select(int item);
    void waitForThumbnails();
    // 20,000 empty files, one in four a photo by its name, in 20 subfolders.
    QString makeManyFiles();
    // The note over the browser when a folder shows no photos, if it shows.
    QLabel *emptyNote() const;

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<TopForm> m_form;
    QString m_folder;
    QString m_disc;
};

void TestFolderSource::init()
{
    m_env.reset(new TestEnvironment);
    m_folder = m_env->path("photos");
    for (int i = 0; i < kColours.size(); ++i)
        WriteFile(photoPath(i), Encode(Solid(QSize(320, 240), kColours.at(i)), "jpeg"));
    m_disc = m_env->path("drive");
    WriteFile(m_disc + "/PICTURES/disc.jpg", Encode(Solid(QSize(64, 64), Qt::cyan), "jpeg"));
    WriteFile(m_disc + "/info.cd", "orderid = 0815\ndate = 2003:07:04 09:15:00\n");
    QCOMPARE(CatalogMaker::Make(m_disc, m_env->path("catalogs")).name, kCatalog);
    m_env->writeHive("system.reg",
                     "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Adobe\\Kodak Picture CD\\Setup]\n\"CatalogPath\"=\""
                         + m_env->path("catalogs/").toUtf8() + "\"\n");
    PhotoFolderChoice::Remember(m_folder);
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
}

void TestFolderSource::cleanup()
{
    m_form.reset();
    MessageSeam::reset();
    m_env.reset();
}

void TestFolderSource::load(bool discInDrive)
{
    QVERIFY(LoadEditor(m_form, discInDrive ? m_disc : QString()));
    // A folder is listed on a worker and shown when that is over.
    QTRY_VERIFY(gBrowserWindow != 0);
}

void TestFolderSource::select(int item)
{
    QVERIFY(view());
    const QModelIndex index = view()->model()->index(item, 0);
    view()->scrollTo(index);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, view()->visualRect(index).center());
}

void TestFolderSource::waitForThumbnails()
{
    // The label names the folder alone once every thumbnail is made.
    QTRY_COMPARE(m_form->Label4->toolTip(), QDir::toNativeSeparators(m_folder));
}

void TestFolderSource::folderShownWithoutDisc()
{
    load();
    QCOMPARE(gBrowserReady, True);
    QVERIFY(gBrowserWindow != 0);
    QCOMPARE(gCatalogFile, FolderCatalog(m_folder).catalogFile());
    QVERIFY(gCatalogFile.startsWith(m_env->home() + "/.cache/vexilo/folders/"));
    QCOMPARE(rows(), kColours.size());
    QCOMPARE(GetItemPath(gBrowserWindow, 2), photoPath(2));
    waitForThumbnails();
    // Long paths lose their middle, never the folder's own name.
    QVERIFY(m_form->Label4->text().startsWith(QStringLiteral("Your Photos: ")));
    QVERIFY(m_form->Label4->text().endsWith(QStringLiteral("/photos")));
    // Drawn from the thumbnails made on the worker.
    const QImage shown = view()->grab().toImage();
    const QRect first = view()->visualRect(view()->model()->index(0, 0));
    QVERIFY(Near(QColor(shown.pixel(first.center() * shown.devicePixelRatio())), Qt::red, 60));
}

void TestFolderSource::discWinsOverFolder()
{
    load(true);
    QCOMPARE(m_form->CatalogLabel->text(), kCatalog);
    QCOMPARE(gCatalogFile, m_env->path("catalogs/") + kCatalog + "/" + kCatalog + ".sac");
    QCOMPARE(rows(), 1);
    QCOMPARE(m_form->Label4->toolTip(), QStringLiteral("Picture CD 07/04/2003, #0815"));
    QVERIFY(m_form->Label4->text().startsWith(QStringLiteral("Your Photos: ")));
}

void TestFolderSource::doubleClickAndInsertAsForDisc()
{
    load();
    select(1);
    QCOMPARE(MyNotifyProc(gBrowserWindow, TB_NOTIFY_DOUBLECLICK, 0), True);
    QCOMPARE(m_form->cube.FaceSource(0), photoPath(1));
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(1));
    select(3);
    m_form->Insert_Click();
    QCOMPARE(m_form->cube.FaceSource(1), photoPath(3));
    QCOMPARE((m_form->cube.FaceChanged(1) ? True : False), True);
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(2));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestFolderSource::thumbnailDraggedOntoFace()
{
    load();
    const QModelIndex index = view()->model()->index(2, 0);
    QScopedPointer<QMimeData> data(view()->model()->mimeData({index}));
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, data.data(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form->Image1[4], &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, data.data(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form->Image1[4], &drop);
    QCOMPARE(m_form->cube.FaceSource(4), photoPath(2));
}

void TestFolderSource::selectingGonePhotoDropsIt()
{
    load();
    int dialogs = 0;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        ++dialogs;
        dialog.reject();
    });
    QVERIFY(QFile::remove(photoPath(2)));
    select(2);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{Msg::PhotoGone});
    QVERIFY(MessageSeam::shownTexts().constLast().contains(photoPath(2)));
    QCOMPARE(dialogs, 0);
    QTRY_COMPARE(rows(), kColours.size() - 1);
    QCOMPARE(GetItemPath(gBrowserWindow, 2), photoPath(3));
}

void TestFolderSource::insertingGonePhotoDropsIt()
{
    load();
    select(0);
    QVERIFY(QFile::remove(photoPath(0)));
    m_form->Insert_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{Msg::PhotoGone});
    QVERIFY(m_form->cube.FaceSource(0).isEmpty());
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(0));
    QTRY_COMPARE(rows(), kColours.size() - 1);
}

void TestFolderSource::openFolderFromTrayMenu()
{
    const QString other = m_env->path("other");
    WriteFile(other + "/x.png", Encode(Solid(QSize(50, 50), Qt::white), "png"));
    load();
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        auto *chooser = qobject_cast<QFileDialog *>(&dialog);
        QVERIFY(chooser);
        QCOMPARE(chooser->fileMode(), QFileDialog::Directory);
        chooser->selectFile(other);
        dialog.accept();
    });
    m_form->SlideTray1_ContextMenu(QPoint(10, 10));
    QVERIFY(m_form->TrayMenu->isVisible());
    QCOMPARE(m_form->OpenFolder->text(), QStringLiteral("&Open Photo Folder\u2026"));
    m_form->OpenFolder->trigger();
    QTRY_COMPARE(GetItemPath(gBrowserWindow, 0), other + "/x.png");
    QCOMPARE(rows(), 1);
    QCOMPARE(PhotoFolderChoice::Recent().value(0), other);
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\Norvane\\Vexilo"),
                               QStringLiteral("PhotoFolder")),
             other);
    m_form->TrayMenu->hide();
}

void TestFolderSource::refreshFromTrayMenu()
{
    load();
    WriteFile(m_folder + "/Photo 0.jpg", Encode(Solid(QSize(50, 50), Qt::white), "jpeg"));
    QCOMPARE(rows(), kColours.size());
    m_form->SlideTray1_ContextMenu(QPoint(10, 10));
    QVERIFY(m_form->RefreshFolder->isEnabled());
    m_form->RefreshFolder->trigger();
    m_form->TrayMenu->hide();
    QTRY_COMPARE(rows(), kColours.size() + 1);
    QCOMPARE(GetItemPath(gBrowserWindow, 0), m_folder + "/Photo 0.jpg");
}

void TestFolderSource::folderDroppedOnBrowser()
{
    const QString other = m_env->path("dropped");
    WriteFile(other + "/y.jpg", Encode(Solid(QSize(50, 50), Qt::white), "jpeg"));
    load();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(other)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form->SlideTray1, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form->SlideTray1, &drop);
    QTRY_COMPARE(GetItemPath(gBrowserWindow, 0), other + "/y.jpg");
    QCOMPARE(rows(), 1);
}

void TestFolderSource::heicAndAvifReachFaces()
{
    WriteFile(m_folder + "/z1.heic", TestFormats::HeifEnc(Solid(QSize(128, 64), Qt::magenta), false));
    WriteFile(m_folder + "/z2.avif", TestFormats::HeifEnc(Solid(QSize(128, 64), Qt::magenta), true));
    load();
    for (int item : {4, 5}) {
        select(item);
        m_form->Insert_Click();
    }
    QCOMPARE(m_form->cube.FaceSource(0), m_folder + "/z1.heic");
    QCOMPARE(m_form->cube.FaceSource(1), m_folder + "/z2.avif");
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    const QImage face = m_form->Image1[0]->pixmap().toImage();
    QVERIFY(Near(face.pixelColor(face.width() / 2, face.height() / 2), Qt::magenta, 60));
}

void TestFolderSource::closingStopsWork()
{
    for (int i = 0; i < 60; ++i)
        WriteFile(QStringLiteral("%1/many/%2.jpg").arg(m_folder).arg(i),
                  Encode(Solid(QSize(1200, 900), kColours.at(i % 4)), "jpeg"));
    load();
    m_form->close();
    m_form.reset();
    QCOMPARE(gBrowserWindow, 0);
}

// Workers decoding large photos when the window closes are not waited for:
// they finish those photos on their own after the window has gone.
void TestFolderSource::closingLeavesWorkerToFinish()
{
    const QString panoramas = m_env->path("panoramas");
    QImage tile(512, 512, QImage::Format_RGB32);
    tile.fill(Qt::green);
    const QByteArray panorama = TestFormats::HeifTileGrid(tile, 32, 8);
    for (int i = 0; i < 6; ++i)
        WriteFile(QStringLiteral("%1/pano%2.heic").arg(panoramas).arg(i), panorama);
    PhotoFolderChoice::Remember(panoramas);
    load();
    const QDir thumbnails(QFileInfo(gCatalogFile).dir().filePath(QStringLiteral("thumbs")));
    // Once one is made, the workers are on the next ones.
    const FolderSource *source = m_form->findChild<FolderSource *>();
    QTRY_VERIFY_WITH_TIMEOUT(source->made() >= 1, 120000);
    m_form->close();
    m_form.reset();
    QCOMPARE(gBrowserWindow, 0);
    const qsizetype madeAtClose = thumbnails.entryList(QDir::Files).size();
    QVERIFY(madeAtClose < 6);
    QTRY_VERIFY_WITH_TIMEOUT(thumbnails.entryList(QDir::Files).size() > madeAtClose, 120000);
}

void TestFolderSource::unwritableCacheStillShowsFolder()
{
    // The catalogs' place is taken by a file: nothing can be written below it.
    WriteFile(m_env->home() + "/.cache/vexilo/folders", "x");
    load();
    QCOMPARE(rows(), kColours.size());
    QVERIFY(gCatalogFile.startsWith(QDir::tempPath() + "/vexilo-folders-"));
    waitForThumbnails();
    select(0);
    m_form->Insert_Click();
    QCOMPARE(m_form->cube.FaceSource(0), photoPath(0));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

QString TestFolderSource::makeManyFiles()
{
    const QString big = m_env->path("big");
    for (int folder = 0; folder < 20; ++folder)
        QDir().mkpath(QStringLiteral("%1/%2").arg(big).arg(folder));
    for (int i = 0; i < 20000; ++i) {
        QFile file(QStringLiteral("%1/%2/%3.%4").arg(big).arg(i % 20).arg(i).arg(i % 4 ? "txt" : "jpg"));
        if (!file.open(QIODevice::WriteOnly))
            return {};
    }
    return big;
}

void TestFolderSource::manyFilesListedWhileEditorRuns()
{
    const QString big = makeManyFiles();
    QVERIFY(!big.isEmpty());
    load();
    auto *source = m_form->findChild<FolderSource *>();
    QVERIFY(source);
    QSignalSpy opened(source, &FolderSource::opened);
    m_form->OpenPhotoFolder(big);
    // The editor goes on at once, the folder shown before stays until the
    // new one is listed, and the event loop turns while that runs.
    QCOMPARE(GetItemPath(gBrowserWindow, 0), photoPath(0));
    bool turnedWhileListing = false;
    QTimer::singleShot(0, this, [&] { turnedWhileListing = opened.isEmpty(); });
    QVERIFY(opened.wait(120000));
    QVERIFY(turnedWhileListing);
    QCOMPARE(opened.constFirst().constFirst().toBool(), true);
    QCOMPARE(rows(), 5000);
    // The same catalog as one listed and written in one go.
    FolderCatalog direct(big, m_env->path("direct"));
    QVERIFY(direct.Update());
    const auto shown = CatalogFile::read(gCatalogFile);
    QVERIFY(shown);
    QCOMPARE(*shown, *CatalogFile::read(direct.catalogFile()));
}

void TestFolderSource::closingWhileListingStops()
{
    const QString big = makeManyFiles();
    QVERIFY(!big.isEmpty());
    load();
    QSignalSpy opened(m_form->findChild<FolderSource *>(), &FolderSource::opened);
    m_form->OpenPhotoFolder(big);
    m_form->close();
    m_form.reset();
    QCOMPARE(gBrowserWindow, 0);
    QCoreApplication::processEvents();
    QVERIFY(opened.isEmpty());
}

void TestFolderSource::leftOutToldOverBrowser_data()
{
    QTest::addColumn<QStringList>("damaged");
    QTest::addColumn<QStringList>("locked");
    QTest::addColumn<QString>("note");
    QTest::newRow("a photo") << QStringList{"broken.jpg"} << QStringList{} << "1 photo is unreadable.";
    QTest::newRow("a folder") << QStringList{} << QStringList{"locked"} << "1 folder is unreadable.";
    QTest::newRow("photos and folders") << QStringList{"broken.jpg", "trip/empty.png"}
                                        << QStringList{"locked", "trip/locked"}
                                        << "2 photos are unreadable.  2 folders are unreadable.";
}

void TestFolderSource::leftOutToldOverBrowser()
{
    QFETCH(QStringList, damaged);
    QFETCH(QStringList, locked);
    QFETCH(QString, note);
    for (const QString &name : damaged)
        WriteFile(m_folder + "/" + name, "not a picture");
    QStringList lockedPaths;
    for (const QString &folder : locked) {
        lockedPaths << m_folder + "/" + folder;
        WriteFile(lockedPaths.constLast() + "/kept.jpg", Encode(Solid(QSize(50, 50), Qt::white), "jpeg"));
    }
    const AsAnotherUser other(m_env->root(), lockedPaths);
    load();
    QCOMPARE(rows(), kColours.size() + damaged.size());
    QTRY_COMPARE(m_form->Label4->toolTip(), QDir::toNativeSeparators(m_folder) + "  " + note);
    // The line is too short for the folder's path and more: the first reason
    // takes its place.
    QVERIFY2(m_form->Label4->text().startsWith("Your Photos: " + note.section("  ", 0, 0)),
             qPrintable(m_form->Label4->text()));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestFolderSource::unreadableFolderTold_data()
{
    QTest::addColumn<bool>("locked");
    QTest::newRow("no permission") << true;
    QTest::newRow("gone") << false;
}

void TestFolderSource::unreadableFolderTold()
{
    QFETCH(bool, locked);
    const QString folder = m_env->path("elsewhere");
    if (locked)
        WriteFile(folder + "/x.jpg", Encode(Solid(QSize(50, 50), Qt::white), "jpeg"));
    const AsAnotherUser other(m_env->root(), locked ? QStringList{folder} : QStringList{});
    load();
    QSignalSpy opened(m_form->findChild<FolderSource *>(), &FolderSource::opened);
    m_form->OpenPhotoFolder(folder);
    QVERIFY(opened.wait());
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{Msg::PhotoFolderUnreadable});
    QVERIFY(MessageSeam::shownTexts().constLast().startsWith("The photo folder " + folder + " could not be opened."));
    QCOMPARE(rows(), 0);
}

QLabel *TestFolderSource::emptyNote() const
{
    for (QLabel *label : m_form->SlideTray1->findChildren<QLabel *>())
        if (label->isVisibleTo(m_form.data()) && label->text() == LoadResString(Msg::NoPhotosInFolder))
            return label;
    return nullptr;
}

void TestFolderSource::emptyFolderSaysWhatToDo_data()
{
    QTest::addColumn<bool>("atStart");
    QTest::newRow("remembered folder at start") << true;
    QTest::newRow("folder opened") << false;
}

void TestFolderSource::emptyFolderSaysWhatToDo()
{
    QFETCH(bool, atStart);
    const QString empty = m_env->path("empty");
    QDir().mkpath(empty);
    WriteFile(empty + "/readme.txt", "not a photo");
    if (atStart)
        PhotoFolderChoice::Remember(empty);
    load();
    if (!atStart)
        m_form->OpenPhotoFolder(empty);
    QTRY_VERIFY(emptyNote());
    QCOMPARE(rows(), 0);
    QCOMPARE(emptyNote()->text(), QStringLiteral("There are no photos in this folder.  Open a photo folder with File > "
                                                 "Open Photo Folder\u2026 (Ctrl+O), or drop a folder here."));
    // The note is drawn over the browser's window, not hidden below it.
    const QImage tray = m_form->SlideTray1->grab().toImage();
    int dark = 0;
    for (int y = 0; y < tray.height(); ++y)
        for (int x = 0; x < tray.width(); ++x)
            dark += qGray(tray.pixel(x, y)) < 80;
    QVERIFY2(dark > 50, qPrintable(QString::number(dark)));
    QVERIFY(MessageSeam::shownMessages().isEmpty());

    m_form->OpenPhotoFolder(m_folder);
    QTRY_COMPARE(rows(), kColours.size());
    QVERIFY(!emptyNote());
}

void TestFolderSource::photoNameNotUtf8Told()
{
    const QByteArray file = QFile::encodeName(m_folder) + "/caf\xe9.jpg";
    const QByteArray jpeg = Encode(Solid(QSize(320, 240), Qt::magenta), "jpeg");
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    // Qt's removal of the test's folder passes over such a name.
    const auto remove = qScopeGuard([&] { ::unlink(file.constData()); });
    QCOMPARE(::write(fd, jpeg.constData(), jpeg.size()), jpeg.size());
    QCOMPARE(::close(fd), 0);
    load();
    QCOMPARE(rows(), kColours.size() + 1);
    const int item = kColours.size(); // "c" sorts after "P"
    QCOMPARE(GetItemPath(gBrowserWindow, item), m_folder + QStringLiteral("/caf\uFFFD.jpg"));
    waitForThumbnails();
    select(item);
    m_form->Insert_Click();
    QCOMPARE(MessageSeam::shownMessages(), (QList<int>{Msg::PhotoNameUnusable, Msg::PhotoNameUnusable}));
    QVERIFY(
        MessageSeam::shownTexts().constLast().startsWith("The photo " + m_folder + QStringLiteral("/caf\uFFFD.jpg")));
    QVERIFY(m_form->cube.FaceSource(0).isEmpty());
    // Not taken for a photo that has gone.
    QTest::qWait(50);
    QCOMPARE(rows(), kColours.size() + 1);
}

QTEST_MAIN(TestFolderSource)
#include "tst_foldersource.moc"
