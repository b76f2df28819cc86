// A photo folder of 1,000 camera-size JPEGs opened in the editor's photo
// browser, with and without the EXIF previews cameras store: how long until
// the first screenful of thumbnails is painted and until every thumbnail is
// ready, on a cold cache, and how long a second open of the unchanged folder
// takes until it is painted. Beside the first screen, the floor the decoder
// sets in the same run: libjpeg-turbo's own djpeg decoding the photo at 1/8
// scale, alone (times the first screen's photos, divided among the workers:
// the ideal floor) and as many times as the first screen has photos,
// workers at a time (the floor as the machine's cores give it now).
#include "bench/support/BenchSupport.h"
#include "components/pixlet/Pixlet.h"
#include "photosource/CatalogMaker.h"
#include "photosource/FolderSource.h"
#include "tests/support/TestPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace {
constexpr int kPhotos = 1000;
constexpr int kAnchorRuns = 7;

template <typename F> double MedianMs(F run)
{
    std::vector<double> times;
    for (int i = 0; i < kAnchorRuns; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

const QStringList kDjpegEighth{QStringLiteral("-scale"), QStringLiteral("1/8"), QStringLiteral("-outfile"),
                                QStringLiteral("/dev/null")};

// count decodes of the picture by djpeg, workers at a time.
void Djpeg(const QString &picture, int count, int workers)
{
    for (int done = 0; done < count; done += workers) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (int i = 0; i < std::min(workers, count - done); ++i) {
            running.push_back(std::make_unique<QProcess>());
            running.back()->start(QStringLiteral("/usr/bin/djpeg"), kDjpegEighth + QStringList{picture});
        }
        for (const auto &process : running)
            process->waitForFinished();
    }
}

struct DecodeFloor
{
    double photoMs = 0; // one decode, alone
    double screenMs = 0; // the first screen's, workers at a time
};

// The decodes less the cost of starting djpeg, measured on a tiny picture.
DecodeFloor MeasureDecodeFloor(const QString &photo, int visible, int workers)
{
    const QString tiny = WorkFile(QStringLiteral("tiny.jpg"));
    QImage(8, 8, QImage::Format_RGB32).save(tiny, "jpeg");
    const int rounds = (visible + workers - 1) / workers;
    const double start = MedianMs([&] { Djpeg(tiny, 1, 1); });
    DecodeFloor floor;
    floor.photoMs = std::max(0.0, MedianMs([&] { Djpeg(photo, 1, 1); }) - start);
    floor.screenMs = std::max(0.0, MedianMs([&] { Djpeg(photo, visible, workers); }) - rounds * start);
    return floor;
}

// One browser thumbnail made the way the workers make it.
double ThumbnailMs(const QString &photo)
{
    const QString thumbnail = WorkFile(QStringLiteral("thumbnail.jpg"));
    return MedianMs([&] {
        Pixlet pixlet;
        pixlet.setSourceFile(photo);
        pixlet.setUseEmbeddedPreview(true);
        pixlet.setBoxWidth(CatalogMaker::ThumbnailEdge);
        pixlet.setBoxHeight(CatalogMaker::ThumbnailEdge);
        pixlet.setDestinationFile(thumbnail);
        pixlet.Generate();
    });
}

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
    double listed = 0, firstScreen = 0, all = 0;
    int visible = 0;
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
    bool opened = false;
    QObject::connect(&source, &FolderSource::progress, [&](int m, int t) {
        made = m;
        total = t;
    });
    QObject::connect(&source, &FolderSource::opened, [&] { opened = true; });
    clock.start();
    source.Open(folder);
    while (!opened)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    timings.listed = clock.nsecsElapsed() / 1e6;
    auto *view = tray.findChild<QListView *>();
    if (!view)
        return timings;
    const int visible = VisibleRows(view);
    timings.visible = visible;
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
    const QString photo = QDir(folder).filePath(QStringLiteral("IMG_0000.JPG"));
    const int workers = qMax(1, QThread::idealThreadCount());
    for (auto _ : state) {
        QTemporaryDir cache;
        const Timings cold = OpenAndWait(folder, cache.path());
        const Timings second = OpenAndWait(folder, cache.path());
        const DecodeFloor floor = MeasureDecodeFloor(photo, cold.visible, workers);
        // What the first screen would take if the workers' cores were free.
        const double idealFloor = floor.photoMs * cold.visible / workers;
        state.counters["listed_ms"] = cold.listed;
        state.counters["first_screen_ms"] = cold.firstScreen;
        state.counters["all_ms"] = cold.all;
        state.counters["second_open_ms"] = second.firstScreen;
        state.counters["visible"] = cold.visible;
        state.counters["thumbnail_ms"] = ThumbnailMs(photo);
        state.counters["djpeg_1_8_ms"] = floor.photoMs;
        state.counters["ideal_floor_ms"] = idealFloor;
        state.counters["ideal_ratio"] = idealFloor > 0 ? cold.firstScreen / idealFloor : 0;
        state.counters["screen_floor_ms"] = floor.screenMs;
        state.counters["screen_ratio"] = floor.screenMs > 0 ? cold.firstScreen / floor.screenMs : 0;
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
