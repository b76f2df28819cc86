#include "core/CubeModel.h"
#include "editor/CubePreview.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QTest>

using namespace TestPictures;

// The turning cube beside the editor.
class TestCubePreview : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void followsFaceChanges();
    void laterChangeWinsOverSlowerPhoto();
    void dragAndKeysTurnIt();
    void drawsOnlyWhileShown();

private:
    // Where face index's centre shows in the preview now.
    QPoint centreOf(int index) const;

    QScopedPointer<TestEnvironment> m_env;
    QScopedPointer<CubeModel> m_cube;
    QScopedPointer<CubePreview> m_preview;
};

void TestCubePreview::init()
{
    m_env.reset(new TestEnvironment);
    m_cube.reset(new CubeModel);
    m_preview.reset(new CubePreview(*m_cube));
    m_preview->resize(300, 300);
}

QPoint TestCubePreview::centreOf(int index) const
{
    const CubeRenderer::Projection p =
        CubeRenderer::Project(index, m_preview->motion().attitude(), CubeRenderer::EdgeFor(300));
    return ((p.corners[0] + p.corners[2]) / 2 + QPointF(150, 150)).toPoint();
}

// A photo put on face 3, then turned: the preview shows each as soon as it
// happens.
void TestCubePreview::followsFaceChanges()
{
    const QString photo = WriteFile(m_env->path("green.jpg"), Encode(Solid(QSize(400, 300), Qt::green), "jpeg"));
    m_cube->SetFace(2, CubeFace::Photo(photo));
    QTRY_VERIFY(Near(m_preview->grab().toImage().pixelColor(centreOf(2)), Qt::green));
    QImage half = Solid(QSize(200, 200), Qt::blue);
    for (int y = 100; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            half.setPixelColor(x, y, Qt::yellow);
    m_cube->SetFace(3, CubeFace::Pasted(half));
    QTRY_VERIFY(Near(m_preview->grab().toImage().pixelColor(centreOf(3) + QPoint(0, -12)), Qt::blue));
    QVERIFY(Near(m_preview->grab().toImage().pixelColor(centreOf(3) + QPoint(0, 12)), Qt::yellow));
    QCOMPARE(m_preview->renderer().face(2).size(), QSize(CubePreview::FaceEdge, CubePreview::FaceEdge));
}

// A large photo still being decoded when the face changes again never
// replaces what the face holds now.
void TestCubePreview::laterChangeWinsOverSlowerPhoto()
{
    const QString photo = WriteFile(m_env->path("large.png"), Encode(Solid(QSize(4000, 3000), Qt::green), "png"));
    m_cube->SetFace(2, CubeFace::Photo(photo));
    m_cube->SetFace(2, CubeFace::Pasted(Solid(QSize(100, 100), Qt::red)));
    QTRY_VERIFY(Near(m_preview->grab().toImage().pixelColor(centreOf(2)), Qt::red));
    QTRY_VERIFY(!m_preview->pictures().Loading());
    QVERIFY(Near(m_preview->grab().toImage().pixelColor(centreOf(2)), Qt::red));
}

void TestCubePreview::dragAndKeysTurnIt()
{
    m_preview->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_preview.data()));
    const CubeAttitude before = m_preview->motion().attitude();
    QTest::mousePress(m_preview.data(), Qt::LeftButton, {}, QPoint(100, 150));
    QTest::mouseMove(m_preview.data(), QPoint(150, 150));
    QTest::mouseRelease(m_preview.data(), Qt::LeftButton, {}, QPoint(150, 150));
    QVERIFY(qAbs(m_preview->motion().attitude().y - (before.y + 50 * CubeMotion::DragScale)) < 1);
    m_preview->setFocus();
    QTest::keyClick(m_preview.data(), Qt::Key_Right);
    QCOMPARE(m_preview->motion().attitude().y, 90.0);
    QCOMPARE(m_preview->motion().attitude().x, 0.0);
}

void TestCubePreview::drawsOnlyWhileShown()
{
    QVERIFY(!m_preview->animating());
    m_preview->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_preview.data()));
    QCOMPARE(m_preview->animating(), QGuiApplication::applicationState() == Qt::ApplicationActive);
    m_preview->hide();
    QVERIFY(!m_preview->animating());
}

QTEST_MAIN(TestCubePreview)
#include "tst_cubepreview.moc"
