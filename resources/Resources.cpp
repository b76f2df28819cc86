#include "resources/Resources.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmapCache>

void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

QString ArtworkFile(const QString &folder, const QString &name, qreal devicePixelRatio)
{
    const QString plain = folder + QLatin1Char('/') + name;
    if (devicePixelRatio < 1.5)
        return plain;
    const QFileInfo info(name);
    const QString twin = folder + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix();
    return QFileInfo::exists(twin) ? twin : plain;
}

QImage ReadPicture(const QString &file)
{
    // Read by the format its name ends in: guessing would first load every
    // image format plugin installed.
    QImageReader reader(file, QFileInfo(file).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap LoadArtwork(const QString &name)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QString file = ArtworkFile(QStringLiteral(":/artwork"), name, ratio);
    QPixmap picture;
    if (QPixmapCache::find(file, &picture))
        return picture;
    picture = QPixmap::fromImage(ReadPicture(file));
    picture.setDevicePixelRatio(file.contains(QLatin1String("@2x.")) ? 2.0 : 1.0);
    QPixmapCache::insert(file, picture);
    return picture;
}
