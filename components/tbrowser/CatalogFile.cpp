#include "components/tbrowser/CatalogFile.h"

#include <QFile>
#include <QSaveFile>

namespace {
const QByteArray kMagic = QByteArrayLiteral("VEXILO-CATALOG");
const QByteArray kPhoto = QByteArrayLiteral("photo");
const QByteArray kEnd = QByteArrayLiteral("end");

// No catalog of ours comes near this; anything larger is not read at all.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

bool isPrintable(const QByteArray &text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return !text.isEmpty();
}

} // namespace

namespace CatalogFile {

std::optional<QList<CatalogPhoto>> parse(const QByteArray &text)
{
    if (!text.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArray> lines = text.left(text.size() - 1).split('\n');
    const QList<QByteArray> header = lines.first().split('\t');
    bool numeric = false;
    if (header.size() != 2 || header.at(0) != kMagic || header.at(1).toInt(&numeric) != CatalogFile::Version || !numeric
        || lines.size() < 2)
        return std::nullopt;

    QList<CatalogPhoto> photos;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split('\t');
        if (fields.size() != 3 || fields.at(0) != kPhoto || !isPrintable(fields.at(1)))
            return std::nullopt;
        const QString thumbnail = QString::fromUtf8(fields.at(2));
        if (!CatalogFile::isSafeThumbnailName(thumbnail) || thumbnail.toUtf8() != fields.at(2))
            return std::nullopt;
        photos.append({fields.at(1), thumbnail});
    }
    const QList<QByteArray> end = lines.last().split('\t');
    if (end.size() != 2 || end.at(0) != kEnd || end.at(1).toLongLong(&numeric) != photos.size() || !numeric)
        return std::nullopt;
    return photos;
}

bool isSafeThumbnailName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    for (const QString &segment : name.split(QLatin1Char('/')))
        if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
            return false;
    for (QChar c : name)
        if (c.unicode() < 0x20 || c == QChar::ReplacementCharacter)
            return false;
    return true;
}

std::optional<QList<CatalogPhoto>> read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return std::nullopt;
    return parse(file.readAll());
}

bool write(QIODevice &out, const QList<CatalogPhoto> &photos)
{
    QByteArray text = kMagic + '\t' + QByteArray::number(Version) + '\n';
    for (const CatalogPhoto &photo : photos) {
        if (!isPrintable(photo.url) || !isSafeThumbnailName(photo.thumbnail))
            return false;
        text += kPhoto + '\t' + photo.url + '\t' + photo.thumbnail.toUtf8() + '\n';
    }
    text += kEnd + '\t' + QByteArray::number(photos.size()) + '\n';
    return out.write(text) == text.size();
}

bool write(const QString &path, const QList<CatalogPhoto> &photos)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The final flush is checked before the commit, which would otherwise
    // rename a short file over the old one when the disk is full.
    if (!write(file, photos) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace CatalogFile
