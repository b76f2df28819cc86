#include "components/tbrowser/TBrowser.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "editor/FacePicture.h"
#include "editor/TopForm.h"
#include "photosource/BrowserState.h"
#include "photosource/CatalogMaker.h"
#include "photosource/InsertCD.h"
#include "photosource/PhotoBrowser.h"
#include "photosource/TBrowserLibrary.h"
#include "tests/support/EditorLoading.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace TestPictures;

namespace {
const QString kCatalog = QStringLiteral("2003_07_04-09_15_00-0815");
const QList<QColor> kColours{Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta, Qt::darkGreen};
} // namespace

// The photo browser in the real editor window: the library opened on the
// catalog of the disc in the drive, its notifications and Insert.
class TestPhotoBrowser : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadOpensCatalogOfDiscInDrive();
    void noDiscShowsPhotoFolderInstead();
    void badCatalogLeavesBrowserEmpty_data();
    void badCatalogLeavesBrowserEmpty();
    void notificationCodes_data();
    void notificationCodes();
    void selectingPhotoGoneFromDiscAsksForDisc();
    void doubleClickOnFace2();
    void doubleClickByMouse();
    void sixInsertsCycleFaces();
    void insertWithoutSelection();
    void insertPhotoGoneCancel();
    void insertPhotoGoneRetry();
    void failedThumbnailShowsMessageOnce();
    void closeQueryClosesBrowser();

private:
    void load(bool discInDrive = true);
    QString photoPath(int i) const;
    void select(int item);
    QListView *view() const;
    void countDialogs(bool retry, std::function<void()> before = {});

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<TopForm> m_form;
    QString m_disc;
    int m_dialogs = 0;
};

void TestPhotoBrowser::init()
{
    m_env.reset(new TestEnvironment);
    m_disc = m_env->path("drive");
    for (int i = 0; i < kColours.size(); ++i)
        WriteFile(photoPath(i), Encode(Solid(QSize(320, 240), kColours.at(i)), "jpeg"));
    WriteFile(m_disc + "/info.cd", "orderid = 0815\ndate = 2003:07:04 09:15:00\n");
    QCOMPARE(CatalogMaker::Make(m_disc, m_env->path("catalogs")).name, kCatalog);
    m_env->writeHive("system.reg",
                     "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Adobe\\Kodak Picture CD\\Setup]\n\"CatalogPath\"=\""
                         + m_env->path("catalogs/").toUtf8()
                         + "\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Adobe\\Media Browser]\n" + "\"Path\"=\""
                         + TestEnvironment::appDir().toUtf8() + "\"\n");
    m_dialogs = 0;
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
}

void TestPhotoBrowser::cleanup()
{
    m_form.reset();
    m_env.reset();
}

QString TestPhotoBrowser::photoPath(int i) const
{
    return QStringLiteral("%1/PICTURES/Photo %2.JPG").arg(m_disc).arg(i + 1);
}

void TestPhotoBrowser::load(bool discInDrive)
{
    QVERIFY(LoadEditor(m_form, discInDrive ? m_disc : QString()));
}

QListView *TestPhotoBrowser::view() const
{
    return m_form->SlideTray1->findChild<QListView *>();
}

void TestPhotoBrowser::select(int item)
{
    QVERIFY(view());
    const QModelIndex index = view()->model()->index(item, 0);
    view()->scrollTo(index);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, view()->visualRect(index).center());
    int32_t selected = -1;
    Tb().TbGetSelectedItem(gBrowserWindow, &selected, nullptr);
    QCOMPARE(selected, item);
}

void TestPhotoBrowser::countDialogs(bool retry, std::function<void()> before)
{
    MessageSeam::setDialogHandler([this, retry, before](QDialog &dialog) {
        ++m_dialogs;
        auto *prompt = qobject_cast<InsertCD *>(&dialog);
        QVERIFY(prompt);
        QCOMPARE(prompt->Label1->text(), QStringLiteral("07/04/2003, #0815"));
        if (before)
            before();
        (retry ? prompt->Command1 : prompt->Command2)->click();
    });
}

void TestPhotoBrowser::loadOpensCatalogOfDiscInDrive()
{
    load();
    QCOMPARE(m_form->CatalogLabel->text(), kCatalog);
    QCOMPARE(gBrowserReady, True);
    QVERIFY(gCatalog != 0);
    QVERIFY(gBrowserWindow != 0);
    QCOMPARE(gCatalogFile, m_env->path("catalogs/") + kCatalog + "/" + kCatalog + ".sac");
    QCOMPARE(gBrowserRect.right, m_form->SlideTray1->width());
    QCOMPARE(gBrowserRect.bottom, m_form->SlideTray1->height());
    QVERIFY(view());
    QCOMPARE(view()->geometry(), m_form->SlideTray1->rect());
    QCOMPARE(view()->model()->rowCount(), kColours.size());
    int32_t selected = -1;
    Tb().TbGetSelectedItem(gBrowserWindow, &selected, nullptr);
    QCOMPARE(selected, 1);
    QCOMPARE(GetItemPath(gBrowserWindow, 0), photoPath(0));
    QCOMPARE(GetItemURL(gBrowserWindow, 0),
             "file://" + QString(m_disc).toUtf8().replace(' ', "%20") + "/PICTURES/Photo%201.JPG");
    QCOMPARE(QColor(view()->grab().toImage().pixel(2, 2)), QColor(189, 189, 181));
}

void TestPhotoBrowser::noDiscShowsPhotoFolderInstead()
{
    // Without a disc the browser shows home, which holds no photos here.
    load(false);
    QCOMPARE(gBrowserReady, True);
    QTRY_VERIFY(view());
    QCOMPARE(view()->model()->rowCount(), 0);
    QVERIFY(m_form->CatalogLabel->text().isEmpty());
    m_form->Insert_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{17});
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
}

void TestPhotoBrowser::badCatalogLeavesBrowserEmpty_data()
{
    QTest::addColumn<QByteArray>("sac");
    QTest::newRow("truncated") << QByteArray("VEXILO-CATALOG\t1\nphoto\tfile:///d/a.jpg\tthumbs/00001.jpg\n");
    QTest::newRow("corrupt") << QByteArray("VEXILO-CATALOG\t1\n\xff\xfe\x00garbage\nend\t1\n", 34);
    QTest::newRow("newer version") << QByteArray("VEXILO-CATALOG\t2\nend\t0\n");
}

void TestPhotoBrowser::badCatalogLeavesBrowserEmpty()
{
    QFETCH(QByteArray, sac);
    WriteFile(m_env->path("catalogs/") + kCatalog + "/" + kCatalog + ".sac", sac);
    load();
    QCOMPARE(gBrowserReady, True);
    QCOMPARE(gCatalog, 0);
    QCOMPARE(gBrowserWindow, 0);
    QVERIFY(!view());
    m_form->Insert_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{17});
}

void TestPhotoBrowser::notificationCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("facePlaced");
    QTest::newRow("selected") << 13 << 0 << false;
    QTest::newRow("other event") << 5 << -1 << false;
    QTest::newRow("double-click") << 3 << -1 << true;
    QTest::newRow("unknown 0") << 0 << 0 << false;
    QTest::newRow("unknown 1") << 1 << 0 << false;
    QTest::newRow("unknown 4") << 4 << 0 << false;
    QTest::newRow("unknown 14") << 14 << 0 << false;
    QTest::newRow("negative") << -1 << 0 << false;
}

void TestPhotoBrowser::notificationCodes()
{
    QFETCH(int, code);
    QFETCH(int, result);
    QFETCH(bool, facePlaced);
    load();
    countDialogs(false);
    m_form->Insert->setEnabled(false);
    QCOMPARE(MyNotifyProc(gBrowserWindow, code, 12345), result);
    QVERIFY(m_form->Insert->isEnabled());
    QCOMPARE(m_dialogs, 0);
    QCOMPARE(m_form->cube.FaceSource(0), facePlaced ? photoPath(1) : QString());
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(facePlaced ? 1 : 0));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestPhotoBrowser::selectingPhotoGoneFromDiscAsksForDisc()
{
    load();
    countDialogs(false);
    QFile::remove(photoPath(3));
    select(2);
    QCOMPARE(m_dialogs, 0);
    select(3);
    QCOMPARE(m_dialogs, 1);
    // Nothing else happens: the selection stays.
    int32_t selected = -1;
    Tb().TbGetSelectedItem(gBrowserWindow, &selected, nullptr);
    QCOMPARE(selected, 3);
    QCOMPARE(m_form->cube.FaceSource(0), QString());
}

void TestPhotoBrowser::doubleClickOnFace2()
{
    load();
    m_form->cube.SetCurrentFace(2);
    Tb().TbSelectItem(gBrowserWindow, 4, 1);
    QCOMPARE(MyNotifyProc(gBrowserWindow, 3, 0), -1);
    QCOMPARE(m_form->cube.FaceSource(2), photoPath(4));
    QCOMPARE((m_form->cube.FaceChanged(2) ? True : False), True);
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(3));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(m_form->SelectionBox[i]->isVisible(), i == 3);
        QVERIFY(!m_form->ContextButton[i]->isVisible());
    }
    QVERIFY(AreaIs(m_form->Image1[2]->pixmap().toImage(), QRect(20, 20, 30, 30), kColours.at(4)));
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!QFile::exists(m_form->WorkDirectory() + "/thumb3.jpg"));
}

void TestPhotoBrowser::doubleClickByMouse()
{
    load();
    const QPoint third = view()->visualRect(view()->model()->index(2, 0)).center();
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(m_form->cube.FaceSource(0), photoPath(2));
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(1));
}

void TestPhotoBrowser::sixInsertsCycleFaces()
{
    load();
    for (int i = 0; i < 7; ++i) {
        Tb().TbSelectItem(gBrowserWindow, i, 1);
        m_form->Insert_Click();
        QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16((i + 1) % 6));
        QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    }
    QCOMPARE(m_form->cube.FaceSource(0), photoPath(6));
    for (int i = 1; i < 6; ++i) {
        QCOMPARE(m_form->cube.FaceSource(i), photoPath(i));
        QCOMPARE((m_form->cube.FaceChanged(i) ? True : False), True);
        QVERIFY(AreaIs(m_form->Image1[i]->pixmap().toImage(), QRect(20, 20, 30, 30), kColours.at(i)));
    }
    QVERIFY(AreaIs(m_form->Image1[0]->pixmap().toImage(), QRect(20, 20, 30, 30), kColours.at(6)));
    QCOMPARE(m_form->SelectionBox[1]->isVisible(), true);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestPhotoBrowser::insertWithoutSelection()
{
    load();
    Tb().TbSelectItem(gBrowserWindow, 1, 0);
    m_form->Insert_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{17});
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(0));
}

void TestPhotoBrowser::insertPhotoGoneCancel()
{
    load();
    countDialogs(false);
    QFile::remove(photoPath(1));
    m_form->Insert_Click();
    QCOMPARE(m_dialogs, 1);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QCOMPARE(m_form->cube.FaceSource(0), QString());
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(0));
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
}

void TestPhotoBrowser::insertPhotoGoneRetry()
{
    load();
    const QByteArray bytes = ReadFile(photoPath(1));
    QFile::remove(photoPath(1));
    countDialogs(true, [&] {
        if (m_dialogs == 2)
            WriteFile(photoPath(1), bytes);
    });
    m_form->Insert_Click();
    QCOMPARE(m_dialogs, 2);
    QCOMPARE(m_form->cube.FaceSource(0), photoPath(1));
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(1));
}

void TestPhotoBrowser::failedThumbnailShowsMessageOnce()
{
    load();
    WriteFile(photoPath(1), "not a photo at all");
    m_form->Insert_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{19});
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(0));
    QCOMPARE(m_form->cube.FaceSource(0), QString());
    QCOMPARE((m_form->cube.FaceChanged(0) ? True : False), False);
    QCOMPARE(MyNotifyProc(gBrowserWindow, 3, 0), -1);
    QCOMPARE(MessageSeam::shownMessages(), (QList<int>{19, 19}));
    QCOMPARE(qint16(m_form->cube.CurrentFace()), qint16(0));
}

void TestPhotoBrowser::closeQueryClosesBrowser()
{
    load();
    QPointer<QListView> browser = view();
    m_form->Form_QueryUnload();
    QCOMPARE(gCatalog, 0);
    QCOMPARE(gBrowserWindow, 0);
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(browser.isNull());
}

QTEST_MAIN(TestPhotoBrowser)
#include "tst_photobrowser.moc"
