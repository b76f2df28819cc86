#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <optional>

// One photo of a catalog: where the photo is (a file URL, usually on the
// disc) and its thumbnail, a path relative to the catalog's folder.
struct CatalogPhoto
{
    QByteArray url;
    QString thumbnail;

    bool operator==(const CatalogPhoto &) const = default;
};

// The catalog file NAME.sac (see docs/catalog-format.md).
namespace CatalogFile {
constexpr int Version = 1;

// The photos of a catalog file; nothing when it is missing, truncated,
// corrupt or of a newer version.
std::optional<QList<CatalogPhoto>> read(const QString &path);
std::optional<QList<CatalogPhoto>> parse(const QByteArray &text);
// Writes the file as a whole or not at all: on failure an existing file keeps
// its content.
bool write(const QString &path, const QList<CatalogPhoto> &photos);
// The file's text into a device; false when any of it could not be written.
bool write(QIODevice &out, const QList<CatalogPhoto> &photos);

// A thumbnail name must stay inside the catalog's folder.
bool isSafeThumbnailName(const QString &name);
} // namespace CatalogFile
