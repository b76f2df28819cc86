#include "publish/MovingPictureJob.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace TestPictures;

// A moving picture written on a thread of its own while the caller's
// events go on.
class TestMovingPictureJob : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void writesAndTellsProgress();
    void cancelLeavesNoFile();
    void destroyedWhileRunningLeavesNoFile();

private:
    QScopedPointer<TestEnvironment> m_env;
    CubeContent m_content;
    const MovingPicture::Options m_options{MovingPicture::Format::Mp4, 240, 3, 20};
};

void TestMovingPictureJob::init()
{
    m_env.reset(new TestEnvironment);
    m_content = CubeContent();
    m_content.faces[2] =
        CubeFace::Photo(WriteFile(m_env->path(QStringLiteral("red.jpg")), Encode(Solid(QSize(200, 200), Qt::red), "jpeg")));
}

void TestMovingPictureJob::writesAndTellsProgress()
{
    MovingPictureJob job;
    QSignalSpy progress(&job, &MovingPictureJob::progress);
    QSignalSpy finished(&job, &MovingPictureJob::finished);
    job.Start(m_content, m_options, m_env->path(QStringLiteral("cube.mp4")));
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.constFirst().constFirst().value<MovingPicture::Result>().written);
    QCOMPARE(progress.size(), 60);
    for (int i = 0; i < progress.size(); ++i)
        QCOMPARE(progress.at(i), QVariantList({i + 1, 60}));
    QVERIFY(QFileInfo(m_env->path(QStringLiteral("cube.mp4"))).size() > 0);
    QVERIFY(!job.running());
}

void TestMovingPictureJob::cancelLeavesNoFile()
{
    const QString folder = m_env->path(QStringLiteral("out"));
    QDir().mkpath(folder);
    MovingPictureJob job;
    QSignalSpy finished(&job, &MovingPictureJob::finished);
    connect(&job, &MovingPictureJob::progress, &job, [&job](int done) {
        if (done == 5)
            job.Cancel();
    });
    job.Start(m_content, m_options, folder + QStringLiteral("/cube.mp4"));
    QVERIFY(finished.wait(60000));
    const MovingPicture::Result result = finished.constFirst().constFirst().value<MovingPicture::Result>();
    QVERIFY(result.cancelled);
    QVERIFY(!result.written);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestMovingPictureJob::destroyedWhileRunningLeavesNoFile()
{
    const QString folder = m_env->path(QStringLiteral("out"));
    QDir().mkpath(folder);
    {
        MovingPictureJob job;
        job.Start(m_content, m_options, folder + QStringLiteral("/cube.mp4"));
        QVERIFY(job.running());
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestMovingPictureJob)
#include "tst_movingpicturejob.moc"
