// A photo folder of 1,000 camera-size JPEGs opened in the editor's photo
// browser, with and without the EXIF previews cameras store: how long until
// the first screenful of thumbnails is painted and until every thumbnail is
// ready, on a cold cache, and how long a second open of the unchanged folder
// takes until it is painted.
#include "bench/support/BenchSupport.h"
#include "photosource/FolderSource.h"
#include "tests/support/TestPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QWidget>

namespace {
constexpr int kPhotos = 1000;

// 1,000 names for one 6000 x 4000 photo (links: the disk holds it once,
// each name is a photo of its own to the catalog).
QString MakeFolder(const QString &name, bool withPreview)
{
    const QString folder = WorkFile(name);
    if (QDir(folder).exists())
        return folder;
    QDir().mkpath(folder);
    QString source = MakePhoto(WorkFile(QStringLiteral("camera.jpg")), 1);
    if (withPreview) {
        QFile plain(source);
        plain.open(QIODevice::ReadOnly);
        QImage preview(160, 120, QImage::Format_RGB32);
        preview.fill(QColor(90, 120, 160));
        const QByteArray jpeg =
            TestPictures::WithExifOrientation(plain.readAll(), 1, TestPictures::Encode(preview, "jpeg", 85));
        source = WorkFile(QStringLiteral("camera-preview.jpg"));
        QFile out(source);
        out.open(QIODevice::WriteOnly);
        out.write(jpeg);
    }
    for (int i = 0; i < kPhotos; ++i)
        QFile::link(source, QStringLiteral("%1/IMG_%2.JPG").arg(folder).arg(i, 4, 10, QLatin1Char('0')));
    return folder;
}

// The rows of the window's first screen.
int VisibleRows(QListView *view)
{
    int rows = 0;
    while (rows < view->model()->rowCount()
           && view->viewport()->rect().intersects(view->visualRect(view->model()->index(rows, 0))))
        ++rows;
    return rows;
}

struct Timings
{
    double firstScreen = 0, all = 0;
};

// Opens the folder and waits for its thumbnails: the time until the first
// screen's are painted, and until all are made.
Timings OpenAndWait(const QString &folder, const QString &cache)
{
    QWidget tray;
    tray.resize(241, 333);
    FolderSource source(&tray, 0, cache);
    Timings timings;
    QElapsedTimer clock;
    int made = 0, total = -1;
    QObject::connect(&source, &FolderSource::progress, [&](int m, int t) {
        made = m;
        total = t;
    });
    clock.start();
    source.Open(folder);
    auto *view = tray.findChild<QListView *>();
    const int visible = VisibleRows(view);
    while (total < 0 || (made < qMin(visible, total) && made < total))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    benchmark::DoNotOptimize(view->grab().toImage().constBits());
    timings.firstScreen = clock.nsecsElapsed() / 1e6;
    while (made < total)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    timings.all = clock.nsecsElapsed() / 1e6;
    return timings;
}

void BM_PhotoFolder(benchmark::State &state)
{
    const bool withPreview = state.range(0) != 0;
    const QString folder =
        MakeFolder(withPreview ? QStringLiteral("with-preview") : QStringLiteral("without"), withPreview);
    for (auto _ : state) {
        QTemporaryDir cache;
        const Timings cold = OpenAndWait(folder, cache.path());
        const Timings second = OpenAndWait(folder, cache.path());
        state.counters["first_screen_ms"] = cold.firstScreen;
        state.counters["all_ms"] = cold.all;
        state.counters["second_open_ms"] = second.firstScreen;
        state.SetIterationTime(cold.all / 1000);
    }
    state.SetLabel(withPreview ? "EXIF previews" : "no previews");
}
BENCHMARK(BM_PhotoFolder)->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return RunWithBrowserLibrary(argc, argv);
}
