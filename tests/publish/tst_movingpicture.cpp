#include "publish/MovingPicture.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QImageReader>
#include <QProcess>
#include <QTest>

using namespace TestPictures;

namespace {

const QColor kFaceColours[6] = {QColor(200, 30, 30),  QColor(30, 160, 40), QColor(30, 60, 200),
                                QColor(230, 200, 20), QColor(20, 190, 200), QColor(180, 40, 190)};

CubeRenderer ColouredCube()
{
    std::array<QImage, 6> faces;
    for (int i = 0; i < 6; ++i)
        faces[i] = Solid(QSize(240, 240), kFaceColours[i]);
    return CubeRenderer(faces);
}

// What ffprobe says of the file's video stream and container.
QJsonObject Probe(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                   "stream=codec_name,pix_fmt,width,height,nb_read_frames,color_range,color_space:format=duration,format_name", "-of", "json",
                   path});
    if (!ffprobe.waitForFinished(60000))
        return {};
    const QJsonObject all = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    QJsonObject found = all.value("streams").toArray().at(0).toObject();
    const QJsonObject format = all.value("format").toObject();
    for (auto it = format.begin(); it != format.end(); ++it)
        found.insert(it.key(), it.value());
    return found;
}

// The file's frame as a picture, decoded by ffmpeg.
QImage DecodedFrame(const QString &path, int frame, const QString &folder)
{
    const QString out = folder + QStringLiteral("/frame.png");
    QFile::remove(out);
    const int code = QProcess::execute(QStringLiteral("ffmpeg"),
                                       {"-v", "error", "-i", path, "-vf", QStringLiteral("select=eq(n\\,%1)").arg(frame),
                                        "-frames:v", "1", out});
    return code == 0 ? QImage(out) : QImage();
}

// The top-level boxes of an MP4 file, in their order.
QList<QByteArray> TopLevelBoxes(const QString &path)
{
    QFile file(path);
    QList<QByteArray> boxes;
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    const QByteArray bytes = file.readAll();
    qsizetype at = 0;
    while (at + 8 <= bytes.size()) {
        const quint32 size = quint32(quint8(bytes[at])) << 24 | quint32(quint8(bytes[at + 1])) << 16
            | quint32(quint8(bytes[at + 2])) << 8 | quint8(bytes[at + 3]);
        boxes << bytes.mid(at + 4, 4);
        if (size < 8)
            break;
        at += size;
    }
    return boxes;
}

QStringList FilesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

// Moving pictures of the cube, checked by ffprobe and by their decoded frames.
class TestMovingPicture : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void videos_data();
    void videos();
    void animations_data();
    void animations();
    void loopIsSeamless();
    void facePicturesAreNoSmallerThanShown();
    void captionUnderTheCube();
    void cancelLeavesNoFile();
    void fullDiskLeavesNoFile();

private:
    // The cube's two-second loop at 15 frames a second, 240 pixels square,
    // each frame told in turn and no partial file left; empty on failure.
    QString write(MovingPicture::Format format);
    void verifyFirstFrame(const QImage &first, int tolerance);

    QScopedPointer<TestEnvironment> m_env;
};

void TestMovingPicture::videos_data()
{
    QTest::addColumn<MovingPicture::Format>("format");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("container");
    QTest::newRow("mp4") << MovingPicture::Format::Mp4 << "h264" << "mov,mp4,m4a,3gp,3g2,mj2";
    QTest::newRow("webm") << MovingPicture::Format::WebM << "vp9" << "matroska,webm";
}

void TestMovingPicture::videos()
{
    QFETCH(MovingPicture::Format, format);
    QFETCH(QString, codec);
    QFETCH(QString, container);
    const QString path = write(format);
    QVERIFY(!path.isEmpty());
    const QJsonObject probe = Probe(path);
    QCOMPARE(probe.value("codec_name").toString(), codec);
    QCOMPARE(probe.value("pix_fmt").toString(), QStringLiteral("yuv420p"));
    // The colours as they were converted, so that players show them alike.
    QCOMPARE(probe.value("color_range").toString(), QStringLiteral("tv"));
    QCOMPARE(probe.value("color_space").toString(), QStringLiteral("smpte170m"));
    QCOMPARE(probe.value("width").toInt(), 240);
    QCOMPARE(probe.value("height").toInt(), 240);
    QCOMPARE(probe.value("nb_read_frames").toString(), QStringLiteral("30"));
    QCOMPARE(probe.value("format_name").toString(), container);
    QVERIFY(qAbs(probe.value("duration").toString().toDouble() - 2.0) < 0.1);
    if (format == MovingPicture::Format::Mp4) {
        const QList<QByteArray> boxes = TopLevelBoxes(path);
        QVERIFY2(boxes.indexOf("moov") >= 0 && boxes.indexOf("moov") < boxes.indexOf("mdat"),
                 boxes.join(' ').constData());
    }
    verifyFirstFrame(DecodedFrame(path, 0, m_env->root()), 24);
}

// Animated pictures, read back as a mail reader or browser reads them: every
// frame there, looping for ever.
void TestMovingPicture::animations_data()
{
    QTest::addColumn<MovingPicture::Format>("format");
    QTest::addColumn<QByteArray>("loopMark");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("gif") << MovingPicture::Format::Gif << QByteArray("NETSCAPE2.0\x03\x01\x00\x00", 16) << 40;
    QTest::newRow("webp") << MovingPicture::Format::WebP << QByteArray("ANIM") << 30;
}

void TestMovingPicture::animations()
{
    QFETCH(MovingPicture::Format, format);
    QFETCH(QByteArray, loopMark);
    QFETCH(int, tolerance);
    const QString path = write(format);
    QVERIFY(!path.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains(loopMark));
    if (format == MovingPicture::Format::WebP) {
        QCOMPARE(bytes.count("ANMF"), 30);
        // The ANIM chunk's loop count, after its background colour: 0, for ever.
        const qsizetype anim = bytes.indexOf("ANIM");
        QCOMPARE(bytes.mid(anim + 12, 2), QByteArray(2, '\0'));
    }
    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), 30);
    QCOMPARE(reader.loopCount(), -1);
    verifyFirstFrame(reader.read(), tolerance);
}

QString TestMovingPicture::write(MovingPicture::Format format)
{
    const MovingPicture::Options options{format, 240, 2, 15};
    const QString path = m_env->path(QStringLiteral("cube.") + MovingPicture::Suffix(format));
    QList<int> told;
    const MovingPicture::Result result = MovingPicture::Write(ColouredCube(), options, path, [&](int frame, int frames) {
        told << frame;
        return frames == (format == MovingPicture::Format::Gif ? 60 : 30);
    });
    if (!result.written) {
        qWarning() << result.error;
        return {};
    }
    if (told.isEmpty() || told.constLast() != told.size() || QDir(m_env->root()).entryList({".cube*"}, QDir::Hidden | QDir::Files).size())
        return {};
    return path;
}

// The first frame shows the cube at its showing attitude: faces 3, 4 and 5
// where the renderer draws them.
void TestMovingPicture::verifyFirstFrame(const QImage &first, int tolerance)
{
    const QImage expected = ColouredCube().Render(QSize(240, 240), MovingPicture::AttitudeAt(0, 30));
    QCOMPARE(first.size(), QSize(240, 240));
    for (int face : {2, 3, 4}) {
        const CubeRenderer::Projection p =
            CubeRenderer::Project(face, MovingPicture::AttitudeAt(0, 30), CubeRenderer::EdgeFor(240));
        const QPoint centre = ((p.corners[0] + p.corners[2]) / 2 + QPointF(120, 120)).toPoint();
        QVERIFY2(Near(first.pixelColor(centre), kFaceColours[face], tolerance), qPrintable(QString::number(face + 1)));
        QVERIFY(Near(first.pixelColor(centre), expected.pixelColor(centre), tolerance));
    }
}

// The frame after the last is the first: one full turn, the tilt back where
// it began.
void TestMovingPicture::loopIsSeamless()
{
    const CubeAttitude first = MovingPicture::AttitudeAt(0, 180);
    const CubeAttitude afterLast = MovingPicture::AttitudeAt(180, 180);
    QCOMPARE(first.x, CubeAttitude::Showing().x);
    QCOMPARE(first.y, CubeAttitude::Showing().y);
    QVERIFY(qAbs(afterLast.x - first.x) < 1e-9);
    QVERIFY(qAbs(afterLast.y - first.y - 360) < 1e-9);
    // Halfway, the cube is tilted the other way: its bottom shows.
    QVERIFY(MovingPicture::AttitudeAt(90, 180).x > 0);
}

// Every face, at every attitude of the loop, shows no larger than the face
// pictures the frames are drawn from, and those are no larger than needed.
void TestMovingPicture::facePicturesAreNoSmallerThanShown()
{
    for (const int edge : {480, 720, 1080}) {
        MovingPicture::Options options = MovingPicture::Options::For(MovingPicture::Format::Mp4);
        options.edge = edge;
        double largest = 0;
        for (int frame = 0; frame < 180; ++frame)
            for (int index = 0; index < 6; ++index) {
                const CubeRenderer::Projection p =
                    CubeRenderer::Project(index, MovingPicture::AttitudeAt(frame, 180), CubeRenderer::EdgeFor(edge));
                for (int corner = 0; p.visible && corner < 4; ++corner)
                    largest = std::max(largest, QLineF(p.corners[corner], p.corners[(corner + 1) % 4]).length());
            }
        QVERIFY2(largest <= options.faceEdge(), qPrintable(QStringLiteral("%1: %2").arg(edge).arg(largest)));
        QVERIFY2(largest > 0.98 * options.faceEdge(),
                 qPrintable(QStringLiteral("%1: %2").arg(edge).arg(largest)));
    }
}

// With a caption the cube is drawn smaller, above it, and the caption's
// text fills the band below; without one the band is the background.
void TestMovingPicture::captionUnderTheCube()
{
    MovingPicture::Options options{MovingPicture::Format::Mp4, 480, 2, 15};
    const QImage bare = MovingPicture::Frame(ColouredCube(), options, 0, 30);
    options.caption = QStringLiteral("Summer by the sea\nsecond line");
    const QImage captioned = MovingPicture::Frame(ColouredCube(), options, 0, 30);
    // The caption's dark grey, which neither the faces nor the shadow show.
    const auto textIn = [](const QImage &image, const QRect &band) {
        int text = 0;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                text += Near(image.pixelColor(x, y), QColor(40, 40, 40), 30);
        return text;
    };
    const QRect band(0, 480 - 480 / 6, 480, 480 / 6 - 4);
    QCOMPARE(textIn(bare, band), 0);
    QVERIFY(textIn(captioned, band) > 200);
    const auto cubeHeight = [](const QImage &image) {
        int top = image.height(), bottom = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); x += 4)
                if (Near(image.pixelColor(x, y), kFaceColours[2], 12)) {
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                }
        return bottom - top;
    };
    QVERIFY(cubeHeight(captioned) < cubeHeight(bare));
}

void TestMovingPicture::cancelLeavesNoFile()
{
    const QString folder = m_env->path(QStringLiteral("out"));
    QDir().mkpath(folder);
    const MovingPicture::Result result = MovingPicture::Write(
        ColouredCube(), {MovingPicture::Format::Mp4, 240, 2, 15}, folder + QStringLiteral("/cube.mp4"),
        [](int frame, int) { return frame < 10; });
    QVERIFY(result.cancelled);
    QVERIFY(!result.written);
    QCOMPARE(FilesIn(folder), QStringList());
}

void TestMovingPicture::fullDiskLeavesNoFile()
{
    const SmallDisk disk(m_env->path(QStringLiteral("small")), 64);
    if (!disk.isMounted())
        QSKIP("mounting a small disk needs root");
    const MovingPicture::Result result =
        MovingPicture::Write(ColouredCube(), {MovingPicture::Format::Mp4, 480, 4, 30}, disk.path() + "/cube.mp4");
    QVERIFY(!result.written);
    QVERIFY(!result.cancelled);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(FilesIn(disk.path()), QStringList());
}

QTEST_MAIN(TestMovingPicture)
#include "tst_movingpicture.moc"
