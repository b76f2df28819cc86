#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <optional>

// The catalog of an ordinary photo folder, in the thumbnail library's own
// format: ROOT/NAME/NAME.sac and ROOT/NAME/thumbs, ROOT being the cache
// folder $XDG_CACHE_HOME/vexilo/folders and NAME made from the folder's path.
// It lists every photo of the folder and its subfolders (hidden ones left
// out), sorted by path, whatever bytes their names are made of; the
// subfolders that cannot be opened are counted, not listed.
// Each thumbnail's name is made from its photo's path, size and modification
// time, so a catalog is brought up to date by listing the folder: a photo
// whose thumbnail of that name is there needs nothing, any other gets a new
// one. The photo folder itself is only ever read.
class FolderCatalog
{
public:
    struct Photo
    {
        // As shown: a name that is not UTF-8 has its stray bytes shown as
        // U+FFFD, and only the file's own bytes open it.
        QString path;
        QString thumbnail; // relative to the catalog's folder
        bool thumbnailMade = false;
        QByteArray file; // the path's own bytes
    };

    explicit FolderCatalog(QString folder, QString root = DefaultRoot());

    static QString DefaultRoot();
    // The catalog's name for a folder: the folder's own name, then a hash
    // of its whole path.
    static QString NameFor(const QString &folder);

    QString folder() const { return m_folder; }
    QString name() const { return NameFor(m_folder); }
    QString catalogFile() const;

    // List, then Write.
    bool Update();
    // Walks the folder and its subfolders and looks at every photo's size and
    // time: the slow part with many files, for any thread. Stops early, with
    // a list that must not be written, once cancel is set.
    void List(const std::atomic<bool> *cancel = nullptr);
    // Compares the list with the thumbnails there are and writes the catalog
    // when its list changed, dropping the thumbnails no photo needs any
    // more. False when the catalog could not be written.
    bool Write();
    // The same list kept below another cache folder.
    void MoveTo(QString root) { m_root = std::move(root); }

    const QList<Photo> &photos() const { return m_photos; }
    // Whether the listing could open the folder itself.
    bool folderOpened() const { return m_folderOpened; }
    // The subfolders the listing could not open, so left out.
    const QStringList &skippedFolders() const { return m_skippedFolders; }
    // The rows whose thumbnails are still to be made, in browser order.
    QList<int> Pending() const;

    // Makes the thumbnail of one photo, from its EXIF preview when that is
    // large enough; safe to call from any thread. False when the photo
    // could not be read (or has gone) or the thumbnail not written.
    bool MakeThumbnail(int row) const;

    // Update, then every pending thumbnail, one after the other: the
    // command-line tool's way. The photos that could not be read; nothing
    // when the catalog could not be written.
    std::optional<QStringList> MakeOrRefresh();

    // A picture file found below the folder.
    struct Found;

private:
    QString catalogFolder() const;
    // The picture files below the folder, not through links to folders (so
    // a link loop ends nowhere), not sorted; false when the folder cannot be
    // opened.
    bool FindPhotos(const QByteArray &folder, const QByteArray &cache, QList<Found> &found,
                    const std::atomic<bool> *cancel);

    QString m_folder;
    QString m_root;
    QList<Photo> m_photos;
    bool m_folderOpened = false;
    QStringList m_skippedFolders;
};
