#include "publish/CubeFromFaces.h"
#include "publish/ProgressSink.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace TestPictures;

namespace {
class SilentProgress : public ProgressSink
{
public:
    void showStep(int) override {}
    void setStatus(const QString &) override {}
    void repaintNow() override {}
};

const QColor kFaceColours[6] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta, Qt::cyan};

// A page beside the cube's page that opens it in a frame and writes what it
// finds into its own text: every picture with its decoded width, every
// resource fetched over a network scheme, and the player's state.
const QByteArray kCheckPage =
    R"(<!DOCTYPE html><html><head><link rel="icon" href="data:,"></head><body><pre id="out">pending</pre>
<iframe id="f" src="PAGE" width="1100" height="900"></iframe>
<script>
var f = document.getElementById("f");
f.addEventListener("load", function () {
  setTimeout(function () {
    var out = [];
    try {
      var d = f.contentDocument;
      var imgs = d.querySelectorAll("img");
      for (var i = 0; i < imgs.length; i++) out.push("img " + imgs[i].getAttribute("src") + " " + imgs[i].naturalWidth);
      var res = f.contentWindow.performance.getEntriesByType("resource");
      for (var j = 0; j < res.length; j++) out.push("res " + res[j].name);
      out.push("class " + d.documentElement.className);
      out.push("caption " + d.getElementById("caption").textContent.trim());
    } catch (e) { out.push("error " + e); }
    document.getElementById("out").textContent = out.join("\n");
  }, 1500);
});
</script></body></html>)";

struct Findings
{
    QStringList lines; // what the check page wrote
    QStringList console; // the browser's console messages
};
} // namespace

// The built cube page in a real browser (headless Chromium), from a folder
// on disk and from a web server on the loopback interface.
class TestCubePage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void playsFromFolder();
    void playsFromWebServer();
    void cubeIsVisible();
    void checkCatchesFaults();

private:
    QStringList chromiumArgs(const QString &profile) const;
    Findings check(const QString &checkUrl);
    void verifyPage(const Findings &found, const QString &base);

    TestEnvironment *m_env = nullptr;
    QString m_folder;
    int m_run = 0;
};

void TestCubePage::initTestCase()
{
    if (!QFileInfo(QStringLiteral("/usr/bin/chromium")).isExecutable())
        QSKIP("chromium is not installed (scripts/install-deps installs it)");
    m_env = new TestEnvironment;
    m_folder = m_env->path(QStringLiteral("site"));
    CubeFromFaces cube;
    for (int n = 1; n <= 6; ++n)
        QVERIFY(cube.SetFace(n, WriteFile(m_env->path(QStringLiteral("photos/%1.jpg").arg(n)),
                                          Encode(Solid(QSize(400, 400), kFaceColours[n - 1]), "jpeg"))));
    cube.SetCaption(QStringLiteral("Sommer & Sonne \u2600 <b>2026</b>"));
    SilentProgress progress;
    QVERIFY(cube.Build(progress, false));
    QVERIFY(cube.CopyTo(m_folder).isEmpty());
    QString check = QString::fromUtf8(kCheckPage);
    WriteFile(m_folder + QStringLiteral("/check.htm"),
              check.replace(QStringLiteral("PAGE"), QStringLiteral("Vexilo.htm")).toUtf8());
}

void TestCubePage::cleanupTestCase()
{
    delete m_env;
}

QStringList TestCubePage::chromiumArgs(const QString &profile) const
{
    return {"--headless",
            "--no-sandbox",
            "--disable-gpu",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            "--no-first-run",
            "--user-data-dir=" + profile,
            "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
            "--allow-file-access-from-files",
            "--enable-logging=stderr",
            "--v=0",
            "--window-size=1100,900",
            "--virtual-time-budget=6000"};
}

Findings TestCubePage::check(const QString &checkUrl)
{
    QProcess chromium;
    chromium.start(QStringLiteral("/usr/bin/chromium"),
                   chromiumArgs(m_env->path(QStringLiteral("profile%1").arg(++m_run))) << "--dump-dom" << checkUrl);
    chromium.waitForFinished(90000);
    Findings found;
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("<pre id=\"out\">(.*?)</pre>"),
                                                         QRegularExpression::DotMatchesEverythingOption)
                                          .match(dom);
    if (m.hasMatch())
        found.lines = m.captured(1).split(QLatin1Char('\n'));
    for (const QString &line : QString::fromUtf8(chromium.readAllStandardError()).split(QLatin1Char('\n')))
        if (line.contains(QLatin1String(":CONSOLE")))
            found.console << line;
    return found;
}

void TestCubePage::verifyPage(const Findings &found, const QString &base)
{
    QVERIFY2(!found.lines.isEmpty() && found.lines.first() != QLatin1String("pending"),
             qPrintable(found.lines.join('\n')));
    QCOMPARE(found.console, QStringList());
    const QStringList images = found.lines.filter(QRegularExpression(QStringLiteral("^img ")));
    QCOMPARE(images.size(), 7); // six faces and the fold-out sheet
    for (int n = 1; n <= 6; ++n)
        QVERIFY2(images.contains(QStringLiteral("img image%1.jpg 250").arg(n)), qPrintable(images.join('\n')));
    QVERIFY(images.contains(QStringLiteral("img cubefold.jpg 668")));
    for (const QString &resource : found.lines.filter(QRegularExpression(QStringLiteral("^res "))))
        QVERIFY2(resource.mid(4).startsWith(base), qPrintable(resource));
    QVERIFY(found.lines.contains(QStringLiteral("class cube3d")));
    QVERIFY(found.lines.contains(QStringLiteral("caption Sommer &amp; Sonne \u2600 2026")));
}

void TestCubePage::playsFromFolder()
{
    const QString base = QUrl::fromLocalFile(m_folder + QLatin1Char('/')).toString();
    const Findings found = check(base + QStringLiteral("check.htm"));
    verifyPage(found, base);
    // From a folder nothing goes over the network at all.
    QVERIFY(found.lines.filter(QRegularExpression(QStringLiteral("^res "))).isEmpty());
}

void TestCubePage::playsFromWebServer()
{
    QProcess server;
    server.setWorkingDirectory(m_folder);
    server.start(QStringLiteral("/usr/bin/python3"),
                 {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", m_folder});
    QVERIFY(server.waitForStarted());
    QByteArray banner;
    while (!banner.contains("port") && server.waitForReadyRead(10000))
        banner += server.readAllStandardOutput();
    const QString port = QRegularExpression(QStringLiteral("port (\\d+)")).match(QString::fromUtf8(banner)).captured(1);
    QVERIFY2(!port.isEmpty(), server.readAllStandardError().constData());
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    const Findings found = check(base + QStringLiteral("check.htm"));
    server.terminate();
    server.waitForFinished(5000);
    verifyPage(found, base);

    // Every request the server saw named a file of the folder and was served.
    const QStringList log =
        QString::fromUtf8(server.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList requested;
    for (const QString &line : log) {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("\"GET /([^ ]*) HTTP/[0-9.]+\" (\\d+)")).match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        QCOMPARE(m.captured(2), QStringLiteral("200"));
        QVERIFY2(QFileInfo(m_folder + QLatin1Char('/') + m.captured(1)).isFile(), qPrintable(line));
        requested << m.captured(1);
    }
    for (const char *name : {"Vexilo.htm", "imagevexilo.class", "image1.jpg", "image6.jpg", "cubefold.jpg"})
        QVERIFY2(requested.contains(QString::fromLatin1(name)), qPrintable(requested.join(' ')));
}

void TestCubePage::cubeIsVisible()
{
    const QString shot = m_env->path(QStringLiteral("shot.png"));
    QProcess chromium;
    chromium.start(QStringLiteral("/usr/bin/chromium"),
                   chromiumArgs(m_env->path(QStringLiteral("profile-shot")))
                       << "--screenshot=" + shot
                       << QUrl::fromLocalFile(m_folder + QStringLiteral("/Vexilo.htm")).toString());
    chromium.waitForFinished(90000);
    const QImage image(shot);
    QVERIFY(!image.isNull());
    // The cube turns, so count how many face colours show and how much of each.
    int facesShown = 0;
    for (const QColor &colour : kFaceColours) {
        int pixels = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                pixels += Near(image.pixelColor(x, y), colour, 30);
        facesShown += pixels > 1500;
    }
    QVERIFY2(facesShown >= 2, qPrintable(QString::number(facesShown)));
}

// A page with a failing script and a picture from another host must be caught.
void TestCubePage::checkCatchesFaults()
{
    WriteFile(m_folder + QStringLiteral("/bad.js"), "throw new Error('boom');\n");
    QByteArray page = ReadFile(m_folder + QStringLiteral("/Vexilo.htm"));
    page.replace("</body>", "<script src=\"bad.js\"></script><img src=\"http://192.0.2.1/x.png\"></body>");
    WriteFile(m_folder + QStringLiteral("/Bad.htm"), page);
    QString checkBad = QString::fromUtf8(kCheckPage);
    WriteFile(m_folder + QStringLiteral("/checkbad.htm"),
              checkBad.replace(QStringLiteral("PAGE"), QStringLiteral("Bad.htm")).toUtf8());
    const QString base = QUrl::fromLocalFile(m_folder + QLatin1Char('/')).toString();
    const Findings found = check(base + QStringLiteral("checkbad.htm"));
    QVERIFY(!found.console.isEmpty());
    QVERIFY(found.lines.contains(QStringLiteral("res http://192.0.2.1/x.png")));
}

QTEST_MAIN(TestCubePage)
#include "tst_cubepage.moc"
