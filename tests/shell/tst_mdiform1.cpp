#include "core/Globals.h"
#include "core/Startup.h"
#include "editor/CubePreview.h"
#include "editor/TopForm.h"
#include "shell/MDIForm1.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

class TestMDIForm1 : public QObject
{
    Q_OBJECT
private slots:
    void editorTakesTheRoomBesideThePreview_data();
    void editorTakesTheRoomBesideThePreview();
    void backgroundCoversTheWholeArea_data() { frameSizes_data(); }
    void backgroundCoversTheWholeArea();
    void hiddenEditorIsNotMoved();
    void closingRemovesWorkDirectory();

private:
    static QWidget *child(MDIForm1 &frame) { return frame.editor()->parentWidget(); }
    static void frameSizes_data();
    static QColor MeanColour(const QImage &image, QPointF centre, qreal radius);
};

QColor TestMDIForm1::MeanColour(const QImage &image, QPointF centre, qreal radius)
{
    const QRect box =
        QRectF(centre - QPointF(radius, radius), centre + QPointF(radius, radius)).toRect() & image.rect();
    int red = 0, green = 0, blue = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red();
            green += c.green();
            blue += c.blue();
        }
    }
    const int count = std::max(1, box.width() * box.height());
    return QColor(red / count, green / count, blue / count);
}

void TestMDIForm1::frameSizes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("design size") << QSize(1024, 768);
    QTest::newRow("1200x900") << QSize(1200, 900);
    QTest::newRow("1600x1200") << QSize(1600, 1200);
    QTest::newRow("wide") << QSize(1920, 1080);
    QTest::newRow("tall") << QSize(900, 1300);
    QTest::newRow("small") << QSize(700, 500);
}

void TestMDIForm1::editorTakesTheRoomBesideThePreview_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("previewShown");
    QTest::newRow("1024x768") << QSize(1024, 768) << true;
    QTest::newRow("1200x900") << QSize(1200, 900) << true;
    QTest::newRow("1280x800") << QSize(1280, 800) << true;
    QTest::newRow("1600x1200") << QSize(1600, 1200) << true;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << true;
    QTest::newRow("3840x2160") << QSize(3840, 2160) << true;
    QTest::newRow("tall") << QSize(900, 1300) << false;
    QTest::newRow("small") << QSize(700, 500) << false;
}

// Where the frame has room, the editor fills it but for the preview's
// square, the gaps between them and round them; the photo browser grows,
// the faces keep their size. A frame too small shows the designed editor
// centred.
void TestMDIForm1::editorTakesTheRoomBesideThePreview()
{
    QFETCH(QSize, size);
    QFETCH(bool, previewShown);
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Norvane\u00ae Vexilo"));
    frame.resize(size);
    QTRY_COMPARE(frame.size(), size);
    const int gap = MDIForm1::PreviewGap;
    const QSize designed(639, 454);
    const QSize client = child(frame)->parentWidget()->size();
    TopForm *editor = frame.editor();
    QTRY_COMPARE(frame.preview()->isVisible(), previewShown);
    const QRect placed = child(frame)->geometry();
    QCOMPARE(editor->size(), placed.size());
    if (client.height() >= designed.height() + 2 * gap) {
        QCOMPARE(placed.top(), gap);
        QCOMPARE(placed.bottom(), client.height() - 1 - gap);
    } else {
        QCOMPARE(placed.height(), designed.height());
        QCOMPARE(placed.top(), client.height() / 2 - designed.height() / 2);
    }
    const QRect preview = frame.preview()->geometry();
    const int right = previewShown ? preview.right() : placed.right();
    if (previewShown) {
        QCOMPARE(preview.width(), preview.height());
        QVERIFY(preview.width() <= MDIForm1::PreviewEdge);
        QVERIFY(preview.width() == MDIForm1::PreviewEdge || preview.width() == client.height() - 2 * gap
                || placed.width() == designed.width());
        QCOMPARE(preview.left(), placed.right() + 1 + gap);
        QVERIFY(qAbs(preview.center().y() - placed.center().y()) <= 1);
    }
    if (placed.width() > designed.width()) {
        QCOMPARE(placed.left(), gap);
        QCOMPARE(right, client.width() - 1 - gap);
    } else {
        QCOMPARE(placed.width(), designed.width());
        QVERIFY(qAbs(placed.left() - (client.width() - 1 - right)) <= 1);
    }

    const QSize extra = placed.size() - designed;
    QCOMPARE(editor->SlideTray1->size(), QSize(241, 333) + extra);
    for (int i = 0; i < FaceCount; ++i)
        QCOMPARE(editor->Image1[i]->size(), QSize(77, 77));
    for (QWidget *control : editor->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (control->isVisible() && control != editor->Back)
            QVERIFY2(editor->rect().contains(control->geometry()), qPrintable(control->objectName()));
}

// Every point of the client area shows the one picture, stretched evenly
// over it: a tiled picture would show its top again below its bottom.
void TestMDIForm1::backgroundCoversTheWholeArea()
{
    QFETCH(QSize, size);
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.resize(size);
    QWidget *viewport = frame.findChild<QMdiArea *>()->viewport();
    QTRY_COMPARE(frame.size(), size);
    child(frame)->hide();
    frame.preview()->hide();
    const QImage shown = viewport->grab().toImage();
    const QImage picture(QStringLiteral(":/artwork/frame.png"));
    const QSizeF area = viewport->size();
    const qreal scale = std::max(area.width() / picture.width(), area.height() / picture.height());
    const QPointF offset((area.width() - picture.width() * scale) / 2, (area.height() - picture.height() * scale) / 2);
    for (qreal fx : {0.03, 0.3, 0.5, 0.7, 0.97}) {
        for (qreal fy : {0.03, 0.3, 0.5, 0.7, 0.97}) {
            const QPointF at(area.width() * fx, area.height() * fy);
            const QColor got = MeanColour(shown, at, 10);
            const QColor want = MeanColour(picture, (at - offset) / scale, 10 / scale);
            const int difference = std::max({std::abs(want.red() - got.red()), std::abs(want.green() - got.green()),
                                             std::abs(want.blue() - got.blue())});
            QVERIFY2(
                difference <= 6,
                qPrintable(QStringLiteral("at %1,%2: %3 for %4").arg(at.x()).arg(at.y()).arg(got.name(), want.name())));
        }
    }
}

void TestMDIForm1::hiddenEditorIsNotMoved()
{
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_VERIFY(frame.preview()->isVisible());
    const QRect before = child(frame)->geometry();
    child(frame)->hide();
    frame.resize(1300, 1000);
    QTest::qWait(50);
    QCOMPARE(child(frame)->geometry(), before);
}

void TestMDIForm1::closingRemovesWorkDirectory()
{
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    const QString work = Startup::WorkDirectory();
    QVERIFY(QDir(work).exists());
    frame.close();
    QVERIFY(!QDir(work).exists());
}

QTEST_MAIN(TestMDIForm1)
#include "tst_mdiform1.moc"
