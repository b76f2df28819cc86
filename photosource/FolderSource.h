#pragma once

#include "photosource/FolderCatalog.h"

#include <QObject>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

class QWidget;

// A photo folder as the photo browser's source: the folder listed and its
// catalog brought up to date on a worker thread, the catalog then opened in
// the thumbnail window, the missing thumbnails made on worker threads (one a
// core), in browser order, the window reading each as it appears. The
// window, the browser's state and every notification stay on the
// user-interface thread.
class FolderSource : public QObject
{
    Q_OBJECT
public:
    FolderSource(QWidget *tray, quintptr palette, QString catalogsRoot = FolderCatalog::DefaultRoot());
    ~FolderSource() override;

    // Starts listing the folder; the browser shows it once it is listed
    // (opened), the window shown until then stays. A folder that cannot be
    // opened is told to the user and shows no photos.
    void Open(const QString &folder);
    // The open folder again, as it is now.
    void Refresh();
    QString folder() const { return m_folder; }
    // Of the thumbnails missing when the folder opened, those made so far.
    int made() const { return m_made; }
    int missing() const { return m_missing; }
    // Of those, the photos that could not be read.
    int unreadable() const { return m_unreadable; }
    // What the open folder shows and leaves out; nothing before it is listed.
    int photoCount() const;
    int skippedFolders() const;

    // Tells the user which photo has gone, then shows the folder without it
    // once the browser's current notification is over.
    void DropGonePhoto(const QString &path);

    // Tells the workers to stop after their current thumbnails, without
    // waiting for them; nothing they do after this reaches the browser.
    void Stop();

signals:
    // The folder's listing is over: shown is false when no catalog of it
    // could be written anywhere or the browser could not open it.
    void opened(bool shown);
    // Thumbnails made so far out of those missing when the folder opened.
    void progress(int made, int total);

private:
    struct Listing;
    void StartListing();
    void Listed(const std::shared_ptr<Listing> &listing);
    bool Show();
    void StartThumbnails();
    void ThumbnailsMade(int generation, int made, int unreadable, int total);

    QWidget *m_tray;
    quintptr m_palette;
    QString m_root;
    std::unique_ptr<QTemporaryDir> m_spareRoot; // when the cache cannot be written
    QString m_folder;
    std::unique_ptr<FolderCatalog> m_catalog;
    std::shared_ptr<QObject> m_mailbox;
    std::shared_ptr<Listing> m_listing;
    struct Run;
    std::shared_ptr<Run> m_run;
    int m_generation = 0;
    int m_made = 0;
    int m_missing = 0;
    int m_unreadable = 0;
};
