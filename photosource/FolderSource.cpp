#include "photosource/FolderSource.h"

#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "photosource/BrowserState.h"
#include "photosource/PhotoBrowser.h"
#include "photosource/TBrowserLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QThreadPool>
#include <QThread>
#include <QTimer>

namespace {
// The first thumbnails are shown one by one, so that the first screenful
// appears at once; after that the window is told in batches.
constexpr int kOneByOne = 40;
constexpr int kBatch = 25;

bool Announced(int made, int total)
{
    return made <= kOneByOne || made % kBatch == 0 || made == total;
}

// The workers of every source. Leaving a folder or closing the window does
// not wait for them: a worker still decoding a photo finishes it on its own
// and its report goes to nobody. The application waits for them as it ends.
QThreadPool &Workers()
{
    static QThreadPool *const pool = [] {
        auto *workers = new QThreadPool(QCoreApplication::instance());
        workers->setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
        // Idle threads end at once: a folder's work runs in threads made when
        // it was asked for, with the file-system identity the program has
        // then (which tests change), not an earlier folder's.
        workers->setExpiryTimeout(0);
        return workers;
    }();
    return *pool;
}

// Where a worker's reports are delivered, on the interface thread. It stays
// until the last worker holding it is done, which may be after its source
// is gone.
std::shared_ptr<QObject> NewMailbox()
{
    return std::shared_ptr<QObject>(new QObject, [](QObject *mailbox) { mailbox->deleteLater(); });
}
} // namespace

// One round of thumbnails: the workers take the pending rows in browser
// order, each the next one not yet taken.
struct FolderSource::Run
{
    Run(const FolderCatalog &catalog, QList<int> pending, int generation)
        : catalog(catalog)
        , pending(std::move(pending))
        , generation(generation)
    {
    }

    const FolderCatalog catalog; // a copy of its own, which nothing changes
    const QList<int> pending;
    const int generation;
    std::atomic<int> next{0};
    std::atomic<int> made{0};
    std::atomic<int> unreadable{0};
    std::atomic<bool> cancel{false};
};

// One listing of the folder on a worker, with its catalog written in the
// cache, else in a folder of this session's own.
struct FolderSource::Listing
{
    Listing(const QString &folder, const QString &root, QString spareRoot)
        : catalog(folder, root)
        , spareRoot(std::move(spareRoot))
    {
    }

    void ListAndWrite()
    {
        catalog.List(&cancel);
        // A list cut short would drop the thumbnails of the photos it missed.
        if (!cancel)
            written = catalog.Write() || WriteInSpareRoot();
    }

    bool WriteInSpareRoot()
    {
        // A read-only or full cache: this session keeps its catalog elsewhere.
        if (spareRoot.isEmpty()) {
            madeSpareRoot =
                std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("vexilo-folders-XXXXXX")));
            if (!madeSpareRoot->isValid())
                return false;
            spareRoot = madeSpareRoot->path();
        }
        catalog.MoveTo(spareRoot);
        return catalog.Write();
    }

    FolderCatalog catalog;
    QString spareRoot;
    std::unique_ptr<QTemporaryDir> madeSpareRoot;
    std::atomic<bool> cancel{false};
    bool written = false;
};

FolderSource::FolderSource(QWidget *tray, quintptr palette, QString catalogsRoot)
    : m_tray(tray)
    , m_palette(palette)
    , m_root(std::move(catalogsRoot))
    , m_mailbox(NewMailbox())
{
}

FolderSource::~FolderSource()
{
    Stop();
}

void FolderSource::Stop()
{
    if (m_listing)
        m_listing->cancel = true;
    m_listing.reset();
    if (m_run)
        m_run->cancel = true;
    m_run.reset();
    ++m_generation;
}

void FolderSource::Open(const QString &folder)
{
    Stop();
    // The library is ready; its window follows once the folder is listed.
    gBrowserReady = True;
    m_folder = QDir(folder).absolutePath();
    m_made = 0;
    m_missing = 0;
    m_unreadable = 0;
    StartListing();
}

void FolderSource::StartListing()
{
    m_listing = std::make_shared<Listing>(m_folder, m_root, m_spareRoot ? m_spareRoot->path() : QString());
    Workers().start([mailbox = m_mailbox, source = QPointer<FolderSource>(this), listing = m_listing] {
        listing->ListAndWrite();
        if (listing->cancel)
            return;
        QMetaObject::invokeMethod(
            mailbox.get(),
            [source, listing] {
                if (source)
                    source->Listed(listing);
            },
            Qt::QueuedConnection);
    });
}

void FolderSource::Listed(const std::shared_ptr<Listing> &listing)
{
    if (listing != m_listing)
        return;
    m_listing.reset();
    if (listing->madeSpareRoot)
        m_spareRoot = std::move(listing->madeSpareRoot);
    m_catalog = std::make_unique<FolderCatalog>(std::move(listing->catalog));
    if (!m_catalog->folderOpened())
        ShowMessage(Msg::PhotoFolderUnreadable, {QDir::toNativeSeparators(m_folder)});
    const bool shown = listing->written && Show();
    if (!shown)
        m_catalog.reset();
    emit opened(shown);
}

bool FolderSource::Show()
{
    OpenCatalogFileIn(m_catalog->catalogFile(), m_tray, m_palette);
    if (gBrowserWindow == 0) {
        gBrowserReady = False;
        return false;
    }
    StartThumbnails();
    return true;
}

int FolderSource::photoCount() const
{
    return m_catalog ? int(m_catalog->photos().size()) : 0;
}

int FolderSource::skippedFolders() const
{
    return m_catalog ? int(m_catalog->skippedFolders().size()) : 0;
}

void FolderSource::Refresh()
{
    if (!m_folder.isEmpty())
        Open(m_folder);
}

void FolderSource::DropGonePhoto(const QString &path)
{
    ShowMessage(Msg::PhotoGone, {QDir::toNativeSeparators(path)});
    // The window that reported the photo is still handling that input.
    QTimer::singleShot(0, this, &FolderSource::Refresh);
}

void FolderSource::StartThumbnails()
{
    const QList<int> pending = m_catalog->Pending();
    const int total = int(pending.size());
    m_made = 0;
    m_missing = total;
    m_unreadable = 0;
    emit progress(0, total);
    if (pending.isEmpty())
        return;
    m_run = std::make_shared<Run>(*m_catalog, pending, m_generation);
    const QPointer<FolderSource> source(this);
    for (int worker = 0; worker < Workers().maxThreadCount(); ++worker)
        Workers().start([mailbox = m_mailbox, source, run = m_run, total] {
            for (int i = run->next++; i < total && !run->cancel; i = run->next++) {
                if (!run->catalog.MakeThumbnail(run->pending.at(i)))
                    ++run->unreadable;
                // Counted after the photo's outcome: the last one made sees
                // every photo that could not be read.
                const int made = ++run->made;
                if (Announced(made, total) && !run->cancel)
                    QMetaObject::invokeMethod(
                        mailbox.get(),
                        [source, generation = run->generation, made, unreadable = run->unreadable.load(), total] {
                            if (source)
                                source->ThumbnailsMade(generation, made, unreadable, total);
                        },
                        Qt::QueuedConnection);
            }
        });
}

void FolderSource::ThumbnailsMade(int generation, int made, int unreadable, int total)
{
    if (generation != m_generation || gBrowserWindow == 0)
        return;
    Tb().TbRefreshWindow(gBrowserWindow, TB_REFRESH_THUMBNAILS);
    // Two workers' reports may arrive out of order.
    m_made = qMax(m_made, made);
    m_unreadable = qMax(m_unreadable, unreadable);
    emit progress(m_made, total);
}
