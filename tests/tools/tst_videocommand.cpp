#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace TestPictures;

// vexilo-cube video, run as a user runs it.
class TestVideoCommand : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void writesVideo_data();
    void writesVideo();
    void badArguments_data();
    void badArguments();

private:
    QProcess *run(const QStringList &args) const;
    QString photo(const QColor &colour) const;

    QScopedPointer<TestEnvironment> m_env;
};

QProcess *TestVideoCommand::run(const QStringList &args) const
{
    auto *p = new QProcess;
    p->setWorkingDirectory(m_env->root());
    p->start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), QStringList{QStringLiteral("video")} + args);
    p->waitForFinished(120000);
    return p;
}

QString TestVideoCommand::photo(const QColor &colour) const
{
    return WriteFile(m_env->path(QStringLiteral("photos/%1.jpg").arg(colour.name().mid(1))),
                     Encode(Solid(QSize(320, 240), colour), "jpeg"));
}

void TestVideoCommand::writesVideo_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected"); // ffprobe's codec, side and frames
    QTest::newRow("mp4 by default") << QStringList{"--seconds", "2", "--size", "480"} << "cube.mp4"
                                    << "h264,480,480,60";
    QTest::newRow("webm") << QStringList{"--format", "webm", "--seconds", "1", "--size", "480"} << "cube.webm"
                          << "vp9,480,480,30";
    QTest::newRow("gif") << QStringList{"--format", "gif", "--seconds", "1", "--size", "480"} << "cube.gif"
                         << "gif,480,480,20";
}

void TestVideoCommand::writesVideo()
{
    QFETCH(QStringList, options);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QScopedPointer<QProcess> p(run(QStringList{"--face", "3=" + photo(Qt::red), "--fill", "3", "--out", name} + options));
    QCOMPARE(p->exitCode(), 0);
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"), {"-v", "error", "-count_frames", "-select_streams", "v:0",
                                             "-show_entries", "stream=codec_name,width,height,nb_read_frames", "-of",
                                             "csv=p=0", m_env->path(name)});
    QVERIFY(ffprobe.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed(), expected);
    QCOMPARE(QFileInfo(m_env->path(name)).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther);
}

void TestVideoCommand::badArguments_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("problem");
    QTest::newRow("no output") << QStringList{} << "--out FILE is required";
    QTest::newRow("png") << QStringList{"--out", "a.png", "--format", "png"} << "--format is mp4, webm, webp or gif";
    QTest::newRow("odd size") << QStringList{"--out", "a.mp4", "--size", "500"} << "--size is 480, 720 or 1080";
    QTest::newRow("no seconds") << QStringList{"--out", "a.mp4", "--seconds", "0"}
                                << "--seconds is a number from 1 to 60";
}

void TestVideoCommand::badArguments()
{
    QFETCH(QStringList, options);
    QFETCH(QString, problem);
    QScopedPointer<QProcess> p(run(options));
    QCOMPARE(p->exitCode(), 2);
    QVERIFY(p->readAllStandardError().contains(problem.toUtf8()));
    QCOMPARE(QDir(m_env->root()).entryList({"a.*"}, QDir::Files), QStringList());
}

QTEST_GUILESS_MAIN(TestVideoCommand)
#include "tst_videocommand.moc"
