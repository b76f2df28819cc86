#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "photosource/TBrowserLibrary.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QTest>
#include <QWidget>

#include <functional>

// libTBrowser.so, bound and called the way the program calls it.
class TestTBrowser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void urlRoundTrip_data();
    void urlRoundTrip();
    void urlToPathRejects_data();
    void urlToPathRejects();
    void twoCallProtocol();
    void shortBufferIsNotOverrun();
    void opensCatalogInParent();
    void badCatalogGivesNoHandle_data();
    void badCatalogGivesNoHandle();
    void badHandlesAreRefused();
    void itemUrlNeedsValidMark();
    void selectAndQuery();
    void notifications();
    void paintsLayoutColoursAndSelection();
    void quitClosesEverything();

private:
    struct Opened
    {
        int32_t catalog = 0;
        int32_t window = 0;
    };
    Opened open(QWidget *parent, int photos, QRect rect = QRect(0, 0, 241, 333));
    QString makeCatalog(int photos);
    static QByteArray toUrl(const QByteArray &path);
    static int32_t notifyProc(int32_t window, int32_t code, int32_t parameter);

    QScopedPointer<TestEnvironment> m_env;
    QList<CatalogPhoto> m_photos;
    static QList<QPair<int32_t, int32_t>> s_notifications;
};

QList<QPair<int32_t, int32_t>> TestTBrowser::s_notifications;

int32_t TestTBrowser::notifyProc(int32_t window, int32_t code, int32_t)
{
    s_notifications.append({window, code});
    return code == TB_NOTIFY_EVENT ? -1 : 0;
}

void TestTBrowser::initTestCase()
{
    m_env.reset(new TestEnvironment);
    qputenv("PATH", TestEnvironment::appDir().toUtf8());
    QVERIFY(TBrowserLibrary::Load());
    QCOMPARE(TBrowserLibrary::LoadedFrom(), QDir(TestEnvironment::appDir()).filePath("libTBrowser.so"));
    QCOMPARE(Tb().TbInitialize(0, 0, nullptr), TB_OK);
}

void TestTBrowser::cleanup()
{
    s_notifications.clear();
}

QByteArray TestTBrowser::toUrl(const QByteArray &path)
{
    int32_t length = 0;
    Tb().TbDOSPathToURL(path.constData(), nullptr, &length);
    QByteArray buffer(qMax(length, 1024), '\0');
    length = int32_t(buffer.size());
    Tb().TbDOSPathToURL(path.constData(), buffer.data(), &length);
    return QByteArray(buffer.constData());
}

void TestTBrowser::urlRoundTrip_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("plain") << QByteArray("/media/cdrom/PICTURES/IMG0001.JPG")
                           << QByteArray("file:///media/cdrom/PICTURES/IMG0001.JPG");
    QTest::newRow("spaces") << QByteArray("/media/Picture CD/My photo.jpg")
                            << QByteArray("file:///media/Picture%20CD/My%20photo.jpg");
    QTest::newRow("non-ASCII") << QByteArray("/home/zoë/Fotos/Größe.jpg")
                               << QByteArray("file:///home/zo%C3%AB/Fotos/Gr%C3%B6%C3%9Fe.jpg");
    QTest::newRow("not UTF-8") << QByteArray("/disc/caf\xe9.jpg") << QByteArray("file:///disc/caf%E9.jpg");
    QTest::newRow("percent and hash") << QByteArray("/d/100% #1?.jpg") << QByteArray("file:///d/100%25%20%231%3F.jpg");
}

void TestTBrowser::urlRoundTrip()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, url);
    QCOMPARE(toUrl(path), url);
    int32_t length = 0;
    QCOMPARE(Tb().TbURLToDOSPath(url.constData(), nullptr, &length), TB_OK);
    QCOMPARE(length, path.size() + 1);
    QByteArray buffer(length, '\0');
    QCOMPARE(Tb().TbURLToDOSPath(url.constData(), buffer.data(), &length), TB_OK);
    QCOMPARE(QByteArray(buffer.constData()), path);
}

void TestTBrowser::urlToPathRejects_data()
{
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("other scheme") << QByteArray("http://example.org/a.jpg");
    QTest::newRow("cut escape") << QByteArray("file:///a%2");
    QTest::newRow("bad hex") << QByteArray("file:///a%zz");
    QTest::newRow("escaped NUL") << QByteArray("file:///a%00b");
}

void TestTBrowser::urlToPathRejects()
{
    QFETCH(QByteArray, url);
    int32_t length = 99;
    QVERIFY(Tb().TbURLToDOSPath(url.constData(), nullptr, &length) != TB_OK);
    QCOMPARE(length, 0);
}

void TestTBrowser::twoCallProtocol()
{
    const QByteArray path("/a b");
    int32_t length = 0;
    QCOMPARE(Tb().TbDOSPathToURL(path.constData(), nullptr, &length), TB_OK);
    QCOMPARE(length, int32_t(strlen("file:///a%20b") + 1));
    QByteArray exact(length, '\0');
    QCOMPARE(Tb().TbDOSPathToURL(path.constData(), exact.data(), &length), TB_OK);
    QCOMPARE(exact, QByteArray("file:///a%20b", 13) + '\0');
}

void TestTBrowser::shortBufferIsNotOverrun()
{
    QByteArray buffer(8, 'x');
    int32_t length = 4;
    QCOMPARE(Tb().TbDOSPathToURL("/long/path", buffer.data(), &length), TB_EBUFFERTOOSMALL);
    QCOMPARE(buffer, QByteArray(8, 'x'));
    QCOMPARE(length, int32_t(strlen("file:///long/path") + 1));
}

QString TestTBrowser::makeCatalog(int photos)
{
    const QString folder = m_env->path(QStringLiteral("catalogs/Cat %1").arg(photos));
    QDir().mkpath(folder + "/thumbs");
    m_photos.clear();
    for (int i = 0; i < photos; ++i) {
        QImage thumb(160, 120, QImage::Format_RGB32);
        thumb.fill(QColor(255, 0, 0));
        const QString name = QStringLiteral("thumbs/%1.jpg").arg(i);
        thumb.save(folder + '/' + name);
        m_photos.append({FileUrl::fromPath(QStringLiteral("/disc/Photo %1.JPG").arg(i).toUtf8()), name});
    }
    const QString sac = folder + QStringLiteral("/Cat %1.sac").arg(photos);
    CatalogFile::write(sac, m_photos);
    return sac;
}

TestTBrowser::Opened TestTBrowser::open(QWidget *parent, int photos, QRect rect)
{
    Opened o;
    const QByteArray url = toUrl(QFile::encodeName(makeCatalog(photos)));
    Tb().TbOpenCatalog(url.constData(), 2, "Vexilo", &o.catalog);
    const TbRect r{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    Tb().TbOpenWindow(o.catalog, 0, parent, &r, 0, 256, &o.window);
    return o;
}

void TestTBrowser::opensCatalogInParent()
{
    QWidget tray;
    tray.resize(241, 333);
    const Opened o = open(&tray, 7, QRect(0, 0, 241, 333));
    QVERIFY(o.catalog != 0);
    QVERIFY(o.window != 0);
    QVERIFY(o.window != o.catalog);
    auto *view = tray.findChild<QListView *>();
    QVERIFY(view);
    QCOMPARE(view->geometry(), QRect(0, 0, 241, 333));
    int32_t count = -1;
    QCOMPARE(Tb().TbGetItemCount(o.window, &count), TB_OK);
    QCOMPARE(count, 7);
    int32_t zero = 0;
    QCOMPARE(Tb().TbCloseCatalog(o.catalog, &zero), TB_OK);
    QCOMPARE(Tb().TbCloseWindow(o.window), TB_OK);
    QCOMPARE(Tb().TbGetItemCount(o.window, &count), TB_EBADHANDLE);
}

void TestTBrowser::badCatalogGivesNoHandle_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = "VEXILO-CATALOG\t1\nphoto\tfile:///d/a.jpg\tthumbs/1.jpg\nend\t1\n";
    QTest::newRow("truncated") << good.left(good.size() - 7);
    QTest::newRow("no last line break") << good.left(good.size() - 1);
    QTest::newRow("count wrong") << QByteArray(good).replace("end\t1", "end\t2");
    QTest::newRow("newer version") << QByteArray(good).replace("\t1\n", "\t2\n");
    QTest::newRow("not a catalog") << QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 16);
    QTest::newRow("unknown record") << QByteArray(good).replace("photo", "movie");
    QTest::newRow("thumbnail leaves folder") << QByteArray(good).replace("thumbs/1.jpg", "../../etc/passwd");
    QTest::newRow("absolute thumbnail") << QByteArray(good).replace("thumbs/1.jpg", "/etc/passwd");
    QTest::newRow("empty") << QByteArray();
}

void TestTBrowser::badCatalogGivesNoHandle()
{
    QFETCH(QByteArray, text);
    const QString sac = WriteFile(m_env->path("bad/bad.sac"), text);
    int32_t catalog = 12345;
    QVERIFY(Tb().TbOpenCatalog(toUrl(QFile::encodeName(sac)).constData(), 2, "Vexilo", &catalog) != TB_OK);
    QCOMPARE(catalog, 0);
}

void TestTBrowser::badHandlesAreRefused()
{
    int32_t item = 5;
    QCOMPARE(Tb().TbGetSelectedItem(0, &item, nullptr), TB_EBADHANDLE);
    QCOMPARE(item, -1);
    int32_t window = 7;
    const TbRect r{0, 0, 10, 10};
    QWidget parent;
    QCOMPARE(Tb().TbOpenWindow(999999, 0, &parent, &r, 0, 256, &window), TB_EBADHANDLE);
    QCOMPARE(window, 0);
    int32_t catalog = 7;
    QVERIFY(Tb().TbOpenCatalog(nullptr, 2, "Vexilo", &catalog) != TB_OK);
    QCOMPARE(catalog, 0);
    QCOMPARE(Tb().TbCloseWindow(424242), TB_EBADHANDLE);
}

void TestTBrowser::itemUrlNeedsValidMark()
{
    QWidget tray;
    const Opened o = open(&tray, 3);
    int32_t length = 99;
    Tb().TbGetItemURL(o.window, 1, nullptr, &length, 1);
    QCOMPARE(length, 0);
    Tb().TbSetItemValidURL(o.window, 1, 1);
    Tb().TbGetItemURL(o.window, 1, nullptr, &length, 1);
    QCOMPARE(length, m_photos.at(1).url.size() + 1);
    QByteArray buffer(length, '\0');
    QCOMPARE(Tb().TbGetItemURL(o.window, 1, buffer.data(), &length, 0), TB_OK);
    QCOMPARE(buffer, m_photos.at(1).url + '\0');
    QCOMPARE(Tb().TbGetItemURL(o.window, 3, nullptr, &length, 1), TB_ERANGE);
    Tb().TbCloseWindow(o.window);
}

void TestTBrowser::selectAndQuery()
{
    QWidget tray;
    const Opened o = open(&tray, 4);
    int32_t item = 0;
    int32_t reserved = 1;
    Tb().TbGetSelectedItem(o.window, &item, &reserved);
    QCOMPARE(item, -1);
    Tb().TbSetNotifyProc(o.window, notifyProc);
    Tb().TbSelectItem(o.window, 1, 1);
    Tb().TbGetSelectedItem(o.window, &item, &reserved);
    QCOMPARE(item, 1);
    QVERIFY2(s_notifications.isEmpty(), "the program's own selection is not reported");
    QCOMPARE(Tb().TbSelectItem(o.window, 4, 1), TB_ERANGE);
    Tb().TbSelectItem(o.window, 1, 0);
    Tb().TbGetSelectedItem(o.window, &item, &reserved);
    QCOMPARE(item, -1);
    Tb().TbCloseWindow(o.window);
}

void TestTBrowser::notifications()
{
    QWidget tray;
    tray.resize(241, 333);
    const Opened o = open(&tray, 5);
    Tb().TbEnableFeatures(o.window, TB_FEATURE_DOUBLECLICK, 1);
    Tb().TbSetNotifyProc(o.window, notifyProc);
    tray.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tray));
    auto *view = tray.findChild<QListView *>();
    const QPoint second = view->visualRect(view->model()->index(1, 0)).center();
    const QPoint emptyArea(view->viewport()->width() - 2, view->viewport()->height() - 2);

    auto codesOf = [&](const std::function<void()> &action) {
        s_notifications.clear();
        action();
        QList<int32_t> codes;
        for (const auto &n : std::as_const(s_notifications)) {
            if (n.first != o.window)
                return QList<int32_t>{-1};
            codes.append(n.second);
        }
        return codes;
    };
    const QList<int32_t> select{13};
    const QList<int32_t> other{5};
    const QList<int32_t> doubleClick{3};
    QCOMPARE(codesOf([&] { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second); }), select);
    QCOMPARE(codesOf([&] { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second); }), other);
    QCOMPARE(codesOf([&] { QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second); }).last(), 3);
    QCOMPARE(codesOf([&] { QTest::keyClick(view, Qt::Key_Right); }), select);
    QCOMPARE(codesOf([&] { QTest::keyClick(view, Qt::Key_Return); }), doubleClick);
    const QList<int32_t> beside = codesOf([&] { QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, emptyArea); });
    QVERIFY(!beside.isEmpty());
    QVERIFY(!beside.contains(3) && !beside.contains(13));
    Tb().TbEnableFeatures(o.window, TB_FEATURE_DOUBLECLICK, 0);
    QVERIFY(!codesOf([&] { QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second); }).contains(3));
    Tb().TbCloseWindow(o.window);
}

void TestTBrowser::paintsLayoutColoursAndSelection()
{
    QWidget tray;
    tray.resize(241, 333);
    const Opened o = open(&tray, 6);
    Tb().TbSetThumbnailSize(o.window, 80, 80, 12, 16, 10, 13, 5);
    Tb().TbSetBackgroundColor(o.window, 189 + 256 * 189 + 65536 * 181);
    Tb().TbSetColors(o.window, TB_COLOR_TEXT, 0);
    Tb().TbSetSelectionStyle(o.window, TB_SELECTION_FRAME, 65536 * 128, 3);
    Tb().TbRefreshWindow(o.window, 0);
    Tb().TbSelectItem(o.window, 1, 1);
    tray.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tray));
    auto *view = tray.findChild<QListView *>();
    const QImage shot = view->grab().toImage();

    QCOMPARE(QColor(shot.pixel(2, 2)), QColor(189, 189, 181));
    const QRect first = view->visualRect(view->model()->index(0, 0)).translated(view->viewport()->pos());
    const QRect second = view->visualRect(view->model()->index(1, 0)).translated(view->viewport()->pos());
    QCOMPARE(first.size(), QSize(90 + 12, 90 + 13 + 16));
    QCOMPARE(second.top(), first.top());
    // Cell: thumbnail box 90 x 90 (80 + 2 x 5) offset by half the spacing.
    const QPoint box = second.topLeft() + QPoint(6, 8);
    QCOMPARE(QColor(shot.pixel(box + QPoint(1, 45))), QColor(0, 0, 128));
    QCOMPARE(QColor(shot.pixel(first.topLeft() + QPoint(6 + 1, 8 + 45))), QColor(189, 189, 181));
    const QColor thumb(shot.pixel(box + QPoint(45, 45)));
    QVERIFY2(thumb.red() > 200 && thumb.green() < 60, qPrintable(thumb.name()));
    Tb().TbCloseWindow(o.window);
}

void TestTBrowser::quitClosesEverything()
{
    QWidget tray;
    const Opened o = open(&tray, 2);
    QCOMPARE(Tb().TbQuit(), TB_OK);
    QVERIFY(!tray.findChild<QListView *>());
    int32_t count = 0;
    QCOMPARE(Tb().TbGetItemCount(o.window, &count), TB_EBADHANDLE);
    int32_t catalog = 1;
    QCOMPARE(Tb().TbOpenCatalog("file:///x.sac", 2, "Vexilo", &catalog), TB_ENOTINITIALIZED);
    QCOMPARE(catalog, 0);
    QCOMPARE(Tb().TbInitialize(0, 0, nullptr), TB_OK);
}

QTEST_MAIN(TestTBrowser)
#include "tst_tbrowser.moc"
