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
    void editorIsCentredAndFollowsResize_data() { frameSizes_data(); }
    void editorIsCentredAndFollowsResize();
    void backgroundCoversTheWholeArea_data() { frameSizes_data(); }
    void backgroundCoversTheWholeArea();
    void hiddenEditorIsNotMoved();
    void closingRemovesWorkDirectory();

private:
    static QWidget *child(MDIForm1 &frame) { return frame.editor()->parentWidget(); }
    static QPoint expectedPosition(MDIForm1 &frame);
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

// The editor and the preview beside it, centred together; the preview only
// where it can be half as tall as the editor.
QPoint TestMDIForm1::expectedPosition(MDIForm1 &frame)
{
    const QSize client = child(frame)->parentWidget()->size();
    const int gap = MDIForm1::PreviewGap;
    const int edge = std::min({client.height() - 2 * gap, client.width() - child(frame)->width() - 3 * gap,
                               MDIForm1::PreviewEdge});
    const int beside = edge >= child(frame)->height() / 2 ? gap + edge : 0;
    return {(client.width() - child(frame)->width() - beside) / 2, client.height() / 2 - child(frame)->height() / 2};
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

void TestMDIForm1::editorIsCentredAndFollowsResize()
{
    QFETCH(QSize, size);
    TestEnvironment env;
    MDIForm1 frame;
    frame.MDIForm_Load();
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Norvane\u00ae Vexilo"));
    QTRY_COMPARE(child(frame)->pos(), expectedPosition(frame));
    frame.resize(size);
    QTRY_COMPARE(frame.size(), size);
    QTRY_COMPARE(child(frame)->pos(), expectedPosition(frame));
    QVERIFY(child(frame)->x() > 0 && child(frame)->y() > 0);
    const QRect preview = frame.preview()->geometry();
    if (frame.preview()->isVisible()) {
        QCOMPARE(preview.width(), preview.height());
        QCOMPARE(preview.left(), child(frame)->geometry().right() + 1 + MDIForm1::PreviewGap);
        QVERIFY(qAbs(preview.center().y() - child(frame)->geometry().center().y()) <= 1);
        QVERIFY(preview.right() < child(frame)->parentWidget()->width());
    } else {
        const int room = child(frame)->parentWidget()->width() - child(frame)->width() - 3 * MDIForm1::PreviewGap;
        QVERIFY(room < child(frame)->height() / 2);
    }
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
    QTRY_COMPARE(child(frame)->pos(), expectedPosition(frame));
    const QPoint before = child(frame)->pos();
    child(frame)->hide();
    frame.resize(1300, 1000);
    QTest::qWait(50);
    QCOMPARE(child(frame)->pos(), before);
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
