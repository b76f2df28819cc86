#include "core/AppPaths.h"
#include "publish/CubeFromFaces.h"
#include "tests/support/SilentProgress.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QTest>

using namespace TestPictures;

// Cubes built from photo files without the editor, built again after a
// change as the editor builds them.
class TestCubeFromFaces : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void cleanup() { m_env.reset(); }
    void secondBuildKeepsEveryFace();
    void changedFaceAloneIsMadeAgain();

private:
    QString photo(const QString &name, const QColor &colour) const
    {
        return WriteFile(m_env->path(QStringLiteral("photos/") + name), Encode(Solid(QSize(300, 200), colour), "jpeg"));
    }
    QByteArray built(const CubeFromFaces &cube, const QString &name) const
    {
        return ReadFile(AppPaths::join(cube.workDirectory(), name));
    }
    bool placeAll(CubeFromFaces &cube) const
    {
        const QColor colours[6] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta, Qt::cyan};
        for (int n = 1; n <= 6; ++n)
            if (!cube.SetFace(n, photo(QStringLiteral("face%1.jpg").arg(n), colours[n - 1])))
                return false;
        return true;
    }

    std::unique_ptr<TestEnvironment> m_env;
    SilentProgress m_sink;
};

void TestCubeFromFaces::secondBuildKeepsEveryFace()
{
    CubeFromFaces cube;
    QVERIFY(placeAll(cube));
    QVERIFY(cube.Build(m_sink, false));
    QStringList names{QStringLiteral("cubefold.jpg")};
    for (int n = 1; n <= 6; ++n)
        names << QStringLiteral("image%1.jpg").arg(n);
    QHash<QString, QByteArray> first;
    for (const QString &name : names)
        first.insert(name, built(cube, name));
    QVERIFY(first.value(QStringLiteral("image1.jpg"))
            != ReadFile(AppPaths::join(AppPaths::templateDirectory(), QStringLiteral("image1.jpg"))));

    QVERIFY(cube.Build(m_sink, false));
    for (const QString &name : names)
        QVERIFY2(built(cube, name) == first.value(name), qPrintable(name));
}

void TestCubeFromFaces::changedFaceAloneIsMadeAgain()
{
    CubeFromFaces cube;
    QVERIFY(placeAll(cube));
    QVERIFY(cube.Build(m_sink, false));
    const QByteArray face1 = built(cube, QStringLiteral("image1.jpg"));
    const QByteArray face2 = built(cube, QStringLiteral("image2.jpg"));

    QVERIFY(cube.SetFace(2, photo(QStringLiteral("other.jpg"), Qt::black)));
    QVERIFY(cube.Build(m_sink, false));
    QCOMPARE(built(cube, QStringLiteral("image1.jpg")), face1);
    QVERIFY(built(cube, QStringLiteral("image2.jpg")) != face2);
    const QImage remade = QImage::fromData(built(cube, QStringLiteral("image2.jpg")));
    QVERIFY(AreaIs(remade, QRect(100, 100, 50, 50), Qt::black));
}

QTEST_MAIN(TestCubeFromFaces)
#include "tst_cubefromfaces.moc"
