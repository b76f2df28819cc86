#pragma once

#include "photosource/FolderCatalog.h"

#include <QObject>
#include <QTemporaryDir>
#include <QThreadPool>

#include <atomic>
#include <memory>

class QWidget;

// A photo folder as the photo browser's source: its catalog brought up to
// date and opened in the thumbnail window at once, the missing thumbnails
// then made on worker threads (one a core), in browser order, the window
// reading each as it appears. Everything else happens on the
// user-interface thread.
class FolderSource : public QObject
{
    Q_OBJECT
public:
    FolderSource(QWidget *tray, quintptr palette, QString catalogsRoot = FolderCatalog::DefaultRoot());
    ~FolderSource() override;

    // Opens the folder in the browser; false when no catalog of it could be
    // written anywhere or the browser could not open it.
    bool Open(const QString &folder);
    // The open folder again, as it is now.
    void Refresh();
    QString folder() const { return m_catalog ? m_catalog->folder() : QString(); }
    // Of the thumbnails missing when the folder opened, those made so far.
    int made() const { return m_made; }
    int missing() const { return m_missing; }

    // Tells the user which photo has gone, then shows the folder without it
    // once the browser's current notification is over.
    void DropGonePhoto(const QString &path);

    // Waits for the workers to stop after their current thumbnails.
    void Stop();

signals:
    // Thumbnails made so far out of those missing when the folder opened.
    void progress(int made, int total);

private:
    bool WriteCatalog(const QString &folder);
    void StartThumbnails();
    void ThumbnailsMade(int generation, int made, int total);

    QWidget *m_tray;
    quintptr m_palette;
    QString m_root;
    std::unique_ptr<QTemporaryDir> m_spareRoot; // when the cache cannot be written
    std::unique_ptr<FolderCatalog> m_catalog;
    QThreadPool m_pool;
    struct Run;
    std::shared_ptr<Run> m_run;
    int m_generation = 0;
    int m_made = 0;
    int m_missing = 0;
};
