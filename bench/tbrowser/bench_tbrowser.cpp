#include "bench/support/BenchSupport.h"
#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "photosource/TBrowserLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QListView>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {
constexpr int kPhotos = 1000;

// A catalog of 1,000 photos with 160 x 160 thumbnails, made once.
struct Catalog
{
    QTemporaryDir dir;
    QByteArray url;

    Catalog()
    {
        QDir(dir.path()).mkpath("Big/thumbs");
        QList<CatalogPhoto> photos;
        for (int i = 0; i < kPhotos; ++i) {
            QImage thumb(160, 160, QImage::Format_RGB32);
            thumb.fill(QColor::fromHsv(i * 37 % 360, 160, 200));
            const QString name = QStringLiteral("thumbs/%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
            thumb.save(dir.filePath("Big/" + name), "jpeg", 85);
            photos.append({FileUrl::fromPath(QStringLiteral("/disc/PICTURES/IMG%1.JPG").arg(i).toUtf8()), name});
        }
        const QString sac = dir.filePath("Big/Big.sac");
        CatalogFile::write(sac, photos);
        url = FileUrl::fromPath(QFile::encodeName(sac));
    }
};

// Opens the catalog in a window the size of the editor's photo browser, as
// the editor configures it, and paints it once: the first thumbnails a user sees.
void BM_OpenAndPaintFirstThumbnails(benchmark::State &state)
{
    static Catalog catalog;
    QWidget tray;
    tray.resize(241, 333);
    for (auto _ : state) {
        int32_t handle = 0;
        int32_t window = 0;
        Tb().TbOpenCatalog(catalog.url.constData(), 2, "Vexilo", &handle);
        const TbRect rect{0, 0, 241, 333};
        Tb().TbOpenWindow(handle, 0, &tray, &rect, 0, 256, &window);
        int32_t count = 0;
        Tb().TbGetItemCount(window, &count);
        for (int32_t i = 0; i < count; ++i)
            Tb().TbSetItemValidURL(window, i, 1);
        Tb().TbSetThumbnailSize(window, 80, 80, 12, 16, 10, 13, 5);
        Tb().TbRefreshWindow(window, 0);
        Tb().TbSelectItem(window, 1, 1);
        const QImage painted = tray.findChild<QListView *>()->grab().toImage();
        benchmark::DoNotOptimize(painted.constBits());
        int32_t zero = 0;
        Tb().TbCloseWindow(window);
        Tb().TbCloseCatalog(handle, &zero);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.counters["photos"] = count;
    }
}
BENCHMARK(BM_OpenAndPaintFirstThumbnails)->Unit(benchmark::kMillisecond);

// Scrolling: one page further down each time, painting the thumbnails that
// come into view.
void BM_ScrollOnePage(benchmark::State &state)
{
    static Catalog catalog;
    QWidget tray;
    tray.resize(241, 333);
    int32_t handle = 0;
    int32_t window = 0;
    Tb().TbOpenCatalog(catalog.url.constData(), 2, "Vexilo", &handle);
    const TbRect rect{0, 0, 241, 333};
    Tb().TbOpenWindow(handle, 0, &tray, &rect, 0, 256, &window);
    Tb().TbSetThumbnailSize(window, 80, 80, 12, 16, 10, 13, 5);
    auto *view = tray.findChild<QListView *>();
    view->grab();
    int row = 0;
    for (auto _ : state) {
        row = (row + 6) % kPhotos;
        view->scrollTo(view->model()->index(row, 0), QAbstractItemView::PositionAtTop);
        benchmark::DoNotOptimize(view->grab().toImage().constBits());
    }
    Tb().TbCloseWindow(window);
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return RunWithBrowserLibrary(argc, argv);
}
