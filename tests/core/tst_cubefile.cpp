#include "core/CubeFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

#include <optional>

using namespace TestPictures;
using Status = CubeFile::Status;

Q_DECLARE_METATYPE(CubeContent)

// A cube kept as a document: what is saved is what is loaded, wherever the
// document and its photos have gone together, and a damaged or newer file
// never passes for a cube.
class TestCubeFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void documentLayout();
    void movedWithItsPhotos_data();
    void movedWithItsPhotos();
    void gonePhoto();
    void unknownKeysIgnored();
    void status_data();
    void status();
    void overlongFileIsNotRead();
    void unreadable_data();
    void unreadable();
    void failedSaveKeepsDocument_data();
    void failedSaveKeepsDocument();

private:
    QString photo(const QString &name) const;
    QString folder(const QString &name) const;

    TestEnvironment *m_env = nullptr;
};

namespace {

CubeContent Cube(const QString &caption, const QList<std::pair<int, CubeFace>> &faces)
{
    CubeContent content;
    content.caption = caption;
    for (const auto &[index, face] : faces)
        content.faces[index] = face;
    return content;
}

QImage Noise(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, random.generate() | 0xff000000u);
    return picture;
}

// A picture with see-through pixels whose colour must survive too.
QImage Translucent()
{
    QImage picture = Quadrants(QSize(24, 16)).convertToFormat(QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(10, 200, 30, 0));
    picture.setPixel(5, 5, qRgba(250, 20, 90, 128));
    return picture;
}

QByteArray Document(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

QJsonArray EmptyFaces()
{
    return {QJsonObject(), QJsonObject(), QJsonObject(), QJsonObject(), QJsonObject(), QJsonObject()};
}

QJsonObject ValidDocument(const QJsonArray &faces = EmptyFaces())
{
    return {{"format", "vexilo-cube"}, {"version", 1}, {"caption", "Hello"}, {"faces", faces}};
}

QJsonObject With(QJsonObject object, const QString &key, const QJsonValue &value)
{
    object.insert(key, value);
    return object;
}

QJsonObject Without(QJsonObject object, const QString &key)
{
    object.remove(key);
    return object;
}

QJsonArray WithFace(QJsonArray faces, int index, const QJsonValue &face)
{
    faces.replace(index, face);
    return faces;
}

QString Base64(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

// A PNG whose header declares a picture far larger than any pasted one.
QByteArray HugePngHeader()
{
    QByteArray png = Encode(Solid(QSize(4, 4), Qt::red), "png");
    // IHDR's width and height, then its CRC, which a decoder may check.
    const QByteArray size = QByteArray::fromHex("0000c3500000c350");
    png.replace(16, 8, size);
    const QByteArray chunk = png.mid(12, 17);
    const quint32 crc = [&] {
        quint32 c = 0xffffffffu;
        for (const char byte : chunk) {
            c ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
        }
        return ~c;
    }();
    png[29] = char(crc >> 24);
    png[30] = char(crc >> 16);
    png[31] = char(crc >> 8);
    png[32] = char(crc);
    return png;
}

} // namespace

void TestCubeFile::initTestCase()
{
    m_env = new TestEnvironment;
}

void TestCubeFile::cleanupTestCase()
{
    delete m_env;
}

QString TestCubeFile::photo(const QString &name) const
{
    return WriteFile(m_env->path(name), "photo bytes of " + name.toUtf8());
}

// A fresh folder for one case.
QString TestCubeFile::folder(const QString &name) const
{
    const QString path = m_env->path(QStringLiteral("cases/") + name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void TestCubeFile::roundTrip_data()
{
    QTest::addColumn<CubeContent>("content");
    QTest::newRow("empty cube") << CubeContent();
    QTest::newRow("spaces and non-ASCII")
        << Cube(QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln \u2600 \"quoted\" <b>\nsecond line"),
                {{0, CubeFace::Photo(photo(QStringLiteral("docs/photos/beach day.jpg")))},
                 {2, CubeFace::Photo(photo(QStringLiteral("docs/Fotos Gr\u00fc\u00dfe/\u00e9t\u00e9 \u65e5.jpg")))}});
    QTest::newRow("photo outside the document's folder")
        << Cube(QString(), {{5, CubeFace::Photo(photo(QStringLiteral("elsewhere/deep/x.jpg")))}});
    QTest::newRow("pasted pictures") << Cube(QStringLiteral("pasted"),
                                             {{1, CubeFace::Pasted(Translucent())},
                                              {3, CubeFace::Pasted(Noise(QSize(37, 23)))}});
    QTest::newRow("every kind of face")
        << Cube(QStringLiteral("all"), {{0, CubeFace::Photo(photo(QStringLiteral("docs/a.jpg")))},
                                        {1, CubeFace::Pasted(Solid(QSize(3, 5), Qt::blue).convertToFormat(
                                                QImage::Format_RGB32))},
                                        {4, CubeFace::Photo(photo(QStringLiteral("docs/photos/b.png")))},
                                        {5, CubeFace::Photo(photo(QStringLiteral("docs/a.jpg")))}});
    QTest::newRow("turned faces")
        << Cube(QStringLiteral("turned"), {{0, CubeFace::Photo(photo(QStringLiteral("docs/a.jpg"))).Turned(90)},
                                           {1, CubeFace::Pasted(Noise(QSize(7, 5))).Turned(-90)},
                                           {2, CubeFace::Photo(photo(QStringLiteral("docs/a.jpg"))).Turned(180)}});
    const FaceFraming fit;
    QTest::newRow("framed faces")
        << Cube(QStringLiteral("framed"),
                {{0, CubeFace::Photo(photo(QStringLiteral("docs/a.jpg"))).Framed(fit.Filled())},
                 {1, CubeFace::Pasted(Noise(QSize(7, 5))).Framed(fit.Fitted(FaceFraming::Backdrop::Blurred))},
                 {2, CubeFace::Photo(photo(QStringLiteral("docs/a.jpg"))).Framed(fit.Filled(QRect(3, 1, 2, 2)).Turned(90))},
                 {3, CubeFace::Photo(photo(QStringLiteral("docs/a.jpg"))).Framed(
                         fit.Fitted(FaceFraming::Backdrop::Blurred).Turned(270))}});
}

void TestCubeFile::roundTrip()
{
    QFETCH(CubeContent, content);
    const QString path = m_env->path(QStringLiteral("docs/cube.vexilo"));
    QString reason;
    QVERIFY(CubeFile::Save(content, path, &reason));
    QVERIFY(reason.isEmpty());
    const CubeFile::Reading reading = CubeFile::Load(path);
    QCOMPARE(int(reading.status), int(Status::Read));
    QVERIFY(reading.gonePhotos.isEmpty());
    QCOMPARE(reading.content.caption, content.caption);
    for (int i = 0; i < FaceCount; ++i) {
        QCOMPARE(reading.content.faces[i].photo(), content.faces[i].photo());
        QCOMPARE(reading.content.faces[i].picture(), content.faces[i].picture());
    }
    QVERIFY(reading.content == content);
}

void TestCubeFile::documentLayout()
{
    const QString dir = folder(QStringLiteral("layout"));
    const QString beside = WriteFile(dir + QStringLiteral("/photos/a b.jpg"), "x");
    const QString away = WriteFile(m_env->path(QStringLiteral("away/c.jpg")), "x");
    const CubeContent content =
        Cube(QStringLiteral("\u00e9t\u00e9"), {{0, CubeFace::Photo(beside)},
                                               {1, CubeFace::Photo(away)},
                                               {2, CubeFace::Pasted(Solid(QSize(2, 2), Qt::red))}});
    const QByteArray bytes = CubeFile::Write(content, dir + QStringLiteral("/c.vexilo"));

    const QJsonObject document = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(document.value("format").toString(), QStringLiteral("vexilo-cube"));
    QCOMPARE(document.value("version").toInt(), CubeFile::Version);
    QVERIFY(bytes.contains("\u00e9t\u00e9")); // UTF-8, not escaped
    QCOMPARE(document.value("caption").toString(), QStringLiteral("\u00e9t\u00e9"));
    const QJsonArray faces = document.value("faces").toArray();
    QCOMPARE(faces.size(), FaceCount);
    QCOMPARE(faces[0].toObject(), (QJsonObject{{"photo", beside}, {"relative", "photos/a b.jpg"}}));
    const QString awayRelative = QDir(dir).relativeFilePath(away);
    QVERIFY(awayRelative.startsWith(QStringLiteral("../")));
    QCOMPARE(faces[1].toObject(), (QJsonObject{{"photo", away}, {"relative", awayRelative}}));
    const QImage pasted = QImage::fromData(QByteArray::fromBase64(faces[2]["pasted"].toString().toLatin1()), "PNG");
    QVERIFY(AreaIs(pasted, QRect(0, 0, 2, 2), Qt::red, 0));
    for (int i = 3; i < FaceCount; ++i)
        QCOMPARE(faces[i].toObject(), QJsonObject());
}

void TestCubeFile::movedWithItsPhotos_data()
{
    QTest::addColumn<QString>("photoName"); // relative to the document's folder
    QTest::newRow("photos folder beside it") << QStringLiteral("photos/a.jpg");
    QTest::newRow("spaces and non-ASCII") << QStringLiteral("Fotos Gr\u00fc\u00dfe/\u00e9t\u00e9 1.jpg");
    QTest::newRow("beside the document") << QStringLiteral("b.jpg");
}

void TestCubeFile::movedWithItsPhotos()
{
    QFETCH(QString, photoName);
    const QString before = folder(QStringLiteral("before"));
    const QString after = m_env->path(QStringLiteral("cases/after move"));
    QDir(after).removeRecursively();
    const QString original = WriteFile(before + QLatin1Char('/') + photoName, "x");
    const CubeContent content = Cube(QStringLiteral("moved"), {{3, CubeFace::Photo(original)}});
    QVERIFY(CubeFile::Save(content, before + QStringLiteral("/cube.vexilo")));

    QVERIFY(QDir().rename(before, after));
    const CubeFile::Reading reading = CubeFile::Load(after + QStringLiteral("/cube.vexilo"));
    QCOMPARE(int(reading.status), int(Status::Read));
    QCOMPARE(reading.content.faces[3].photo(), after + QLatin1Char('/') + photoName);
    QVERIFY(reading.gonePhotos.isEmpty());
    QCOMPARE(reading.content.caption, QStringLiteral("moved"));
}

void TestCubeFile::gonePhoto()
{
    const QString dir = folder(QStringLiteral("gone"));
    const QString kept = WriteFile(dir + QStringLiteral("/kept.jpg"), "x");
    const QString gone = WriteFile(dir + QStringLiteral("/photos/gone.jpg"), "x");
    const QImage picture = Noise(QSize(8, 8));
    const CubeContent content = Cube(QStringLiteral("caption stays"), {{0, CubeFace::Photo(kept)},
                                                                       {2, CubeFace::Photo(gone)},
                                                                       {4, CubeFace::Pasted(picture)}});
    QVERIFY(CubeFile::Save(content, dir + QStringLiteral("/cube.vexilo")));
    QVERIFY(QFile::remove(gone));

    const CubeFile::Reading reading = CubeFile::Load(dir + QStringLiteral("/cube.vexilo"));
    QCOMPARE(int(reading.status), int(Status::Read));
    QCOMPARE(reading.gonePhotos, (QMap<int, QString>{{2, gone}}));
    CubeContent expected = content;
    expected.faces[2] = CubeFace();
    QVERIFY(reading.content == expected);
}

void TestCubeFile::unknownKeysIgnored()
{
    const QString dir = folder(QStringLiteral("unknown"));
    const QString path = WriteFile(dir + QStringLiteral("/p.jpg"), "x");
    const QJsonArray faces =
        WithFace(WithFace(EmptyFaces(), 0, QJsonObject{{"photo", path}, {"relative", "p.jpg"}, {"crop", "0 0 1 1"}}),
                 1, QJsonObject{{"zoom", 2.5}});
    const QByteArray bytes = Document(With(ValidDocument(faces), "framing", QJsonObject{{"style", "round"}}));
    const CubeFile::Reading reading = CubeFile::Read(bytes, dir + QStringLiteral("/cube.vexilo"));
    QCOMPARE(int(reading.status), int(Status::Read));
    QVERIFY(reading.content == Cube(QStringLiteral("Hello"), {{0, CubeFace::Photo(path)}}));
}

void TestCubeFile::status_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    const int damaged = int(Status::Damaged);
    const QByteArray valid = Document(ValidDocument());
    const QByteArray png = Encode(Solid(QSize(8, 8), Qt::green), "png");
    const QJsonObject pasted{{"pasted", Base64(png)}};
    const QJsonObject photo{{"photo", "/nowhere/p.jpg"}, {"relative", "p.jpg"}};

    QTest::newRow("valid") << valid << int(Status::Read);
    QTest::newRow("caption left out") << Document(Without(ValidDocument(), "caption")) << int(Status::Read);
    QTest::newRow("newer version") << Document(With(ValidDocument(), "version", 2)) << int(Status::TooNew);
    QTest::newRow("newer version, faces unknown")
        << Document(With(With(ValidDocument(), "version", 7), "faces", "elsewhere")) << int(Status::TooNew);

    QTest::newRow("empty file") << QByteArray() << damaged;
    QTest::newRow("not JSON") << QByteArray("just some text\n") << damaged;
    QTest::newRow("truncated") << valid.left(valid.size() / 2) << damaged;
    QTest::newRow("corrupt") << QByteArray(valid).replace("\"faces\"", "\"faces\"}") << damaged;
    QTest::newRow("JSON array") << QByteArray("[1, 2, 3]") << damaged;
    QTest::newRow("no format tag") << Document(Without(ValidDocument(), "format")) << damaged;
    QTest::newRow("wrong format tag") << Document(With(ValidDocument(), "format", "vexilo-catalog")) << damaged;
    QTest::newRow("no version") << Document(Without(ValidDocument(), "version")) << damaged;
    QTest::newRow("version as text") << Document(With(ValidDocument(), "version", "1")) << damaged;
    QTest::newRow("version 0") << Document(With(ValidDocument(), "version", 0)) << damaged;
    QTest::newRow("version 1.5") << Document(With(ValidDocument(), "version", 1.5)) << damaged;
    QTest::newRow("caption a number") << Document(With(ValidDocument(), "caption", 3)) << damaged;
    QTest::newRow("caption too long")
        << Document(With(ValidDocument(), "caption", QString(64 * 1024 + 1, QLatin1Char('c')))) << damaged;
    QTest::newRow("caption a lone surrogate") << QByteArray(valid).replace("\"Hello\"", "\"\\ud800\"") << damaged;
    QTest::newRow("no faces") << Document(Without(ValidDocument(), "faces")) << damaged;
    QJsonArray fiveFaces = EmptyFaces();
    fiveFaces.removeLast();
    QTest::newRow("five faces") << Document(ValidDocument(fiveFaces)) << damaged;
    QTest::newRow("seven faces") << Document(ValidDocument(EmptyFaces() + QJsonObject())) << damaged;
    QTest::newRow("face a text") << Document(ValidDocument(WithFace(EmptyFaces(), 2, "photo.jpg"))) << damaged;
    QTest::newRow("photo a number") << Document(ValidDocument(WithFace(EmptyFaces(), 2, QJsonObject{{"photo", 4}})))
                                    << damaged;
    QTest::newRow("photo path not absolute")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2, QJsonObject{{"photo", "p.jpg"}}))) << damaged;
    QTest::newRow("relative a number")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2, With(photo, "relative", 1)))) << damaged;
    QTest::newRow("photo and pasted")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2, With(photo, "pasted", Base64(png))))) << damaged;
    QTest::newRow("pasted PNG") << Document(ValidDocument(WithFace(EmptyFaces(), 2, pasted))) << int(Status::Read);
    QTest::newRow("pasted, turned") << Document(ValidDocument(WithFace(EmptyFaces(), 2, With(pasted, "turn", 270))))
                                    << int(Status::Read);
    for (const auto &[name, turn] : {std::pair{"turn 45", QJsonValue(45)}, std::pair{"turn 360", QJsonValue(360)},
                                     std::pair{"turn -90", QJsonValue(-90)}, std::pair{"turn 90.5", QJsonValue(90.5)},
                                     std::pair{"turn as text", QJsonValue("90")}})
        QTest::newRow(name) << Document(ValidDocument(WithFace(EmptyFaces(), 2, With(pasted, "turn", turn)))) << damaged;
    QTest::newRow("pasted, filled with a square")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2,
                                           With(With(pasted, "framing", "fill"), "square", QJsonArray{0, 0, 1}))))
        << int(Status::Read);
    const QList<std::pair<const char *, QJsonObject>> badFramings = {
        {"framing unknown", With(pasted, "framing", "stretch")},
        {"framing a number", With(pasted, "framing", 1)},
        {"backdrop unknown", With(pasted, "backdrop", "black")},
        {"square of two numbers", With(pasted, "square", QJsonArray{0, 0})},
        {"square negative", With(pasted, "square", QJsonArray{-1, 0, 100})},
        {"square of edge 0", With(pasted, "square", QJsonArray{0, 0, 0})},
        {"square of fractions", With(pasted, "square", QJsonArray{0.5, 0, 100})},
        {"square beyond any photo", With(pasted, "square", QJsonArray{0, 0, 1e12})},
        {"square a text", With(pasted, "square", "0,0,100")},
    };
    for (const auto &[name, face] : badFramings)
        QTest::newRow(name) << Document(ValidDocument(WithFace(EmptyFaces(), 2, face))) << damaged;
    QTest::newRow("pasted not base64")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2, QJsonObject{{"pasted", "**not base64**"}}))) << damaged;
    QTest::newRow("pasted not a picture")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2, QJsonObject{{"pasted", Base64("plain text")}})))
        << damaged;
    QTest::newRow("pasted PNG truncated")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2, QJsonObject{{"pasted", Base64(png.left(40))}})))
        << damaged;
    QTest::newRow("pasted PNG of 50000 x 50000")
        << Document(ValidDocument(WithFace(EmptyFaces(), 2, QJsonObject{{"pasted", Base64(HugePngHeader())}})))
        << damaged;
}

void TestCubeFile::status()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    const QString path = WriteFile(m_env->path(QStringLiteral("status/cube.vexilo")), bytes);
    const CubeFile::Reading reading = CubeFile::Load(path);
    QCOMPARE(int(reading.status), status);
    if (reading.status != Status::Read)
        QVERIFY(reading.content == CubeContent());
    QVERIFY(reading.reason.isEmpty());
}

void TestCubeFile::overlongFileIsNotRead()
{
    const QString path = WriteFile(m_env->path(QStringLiteral("big/cube.vexilo")), Document(ValidDocument()));
    QFile file(path);
    // Sparse: the reader must turn it down by its size, not by reading it.
    QVERIFY(file.resize(256LL * 1024 * 1024 + 1));
    QCOMPARE(int(CubeFile::Load(path).status), int(Status::Damaged));
    QFile::remove(path);
}

void TestCubeFile::unreadable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QStringLiteral("missing.vexilo") << QStringLiteral("No such file or directory");
    QTest::newRow("a folder") << QStringLiteral("folder.vexilo") << QString();
    QTest::newRow("below a file") << QStringLiteral("file/cube.vexilo") << QStringLiteral("Not a directory");
}

void TestCubeFile::unreadable()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const QString dir = folder(QStringLiteral("unreadable"));
    QDir(dir).mkdir(QStringLiteral("folder.vexilo"));
    WriteFile(dir + QStringLiteral("/file"), "x");
    const CubeFile::Reading reading = CubeFile::Load(dir + QLatin1Char('/') + name);
    QCOMPARE(int(reading.status), int(Status::Unreadable));
    QVERIFY(!reading.reason.isEmpty());
    QVERIFY2(reading.reason.contains(reason), qPrintable(reading.reason));
}

void TestCubeFile::failedSaveKeepsDocument_data()
{
    QTest::addColumn<QString>("name"); // below the case's folder, or absolute
    // An earlier document there, and too little room for the new one.
    QTest::addColumn<bool>("fullOverDocument");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << QStringLiteral("cube.vexilo") << true << QStringLiteral("File too large");
    QTest::newRow("folder is a file") << QStringLiteral("file/cube.vexilo") << false << QString();
    QTest::newRow("system folder") << QStringLiteral("/proc/cube.vexilo") << false << QString();
}

void TestCubeFile::failedSaveKeepsDocument()
{
    QFETCH(QString, name);
    QFETCH(bool, fullOverDocument);
    QFETCH(QString, reason);
    const QString dir = folder(QStringLiteral("failed save"));
    WriteFile(dir + QStringLiteral("/file"), "x");
    const QString path = QDir(dir).absoluteFilePath(name);
    if (fullOverDocument)
        QVERIFY(CubeFile::Save(Cube(QStringLiteral("earlier"), {}), path));
    const QByteArray before = fullOverDocument ? ReadFile(path) : QByteArray();
    const QStringList entriesBefore = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    const CubeContent larger = Cube(QStringLiteral("later"), {{0, CubeFace::Pasted(Noise(QSize(64, 64)))}});
    QString why;
    bool saved = true;
    {
        std::optional<FileSizeLimit> full;
        if (fullOverDocument)
            full.emplace(rlim_t(before.size()));
        saved = CubeFile::Save(larger, path, &why);
    }
    QVERIFY(!saved);
    QVERIFY(!why.isEmpty());
    QVERIFY2(why.contains(reason), qPrintable(why));
    if (fullOverDocument)
        QCOMPARE(ReadFile(path), before);
    else
        QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entriesBefore);
}

QTEST_GUILESS_MAIN(TestCubeFile)
#include "tst_cubefile.moc"
