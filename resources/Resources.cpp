#include "resources/Resources.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>

#include <memory>

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

namespace {
QString ArtworkFileFor(const QString &name)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    return ArtworkFile(QStringLiteral(":/artwork"), name, ratio);
}

QPixmap Displayed(const QImage &image, const QString &file)
{
    QPixmap picture = QPixmap::fromImage(image);
    picture.setDevicePixelRatio(file.contains(QLatin1String("@2x.")) ? 2.0 : 1.0);
    return picture;
}

// The picture in the format a screen pixmap holds it in, so that making the
// pixmap converts nothing.
QImage ReadForScreen(const QString &file)
{
    const QImage picture = ReadPicture(file);
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
}
} // namespace

QPixmap LoadArtwork(const QString &name)
{
    const QString file = ArtworkFileFor(name);
    QPixmap picture;
    if (QPixmapCache::find(file, &picture))
        return picture;
    picture = Displayed(ReadPicture(file), file);
    QPixmapCache::insert(file, picture);
    return picture;
}

ArtworkReading::ArtworkReading(const QString &name)
    : m_file(ArtworkFileFor(name))
    , m_image(std::async(std::launch::async, ReadForScreen, m_file))
{
}

QPixmap ArtworkReading::picture()
{
    if (m_image.valid())
        m_picture = Displayed(m_image.get(), m_file);
    return m_picture;
}

namespace {
// An icon drawn from a picture still being read; its copies share the reading.
class ReadingIconEngine : public QIconEngine
{
public:
    explicit ReadingIconEngine(const QString &name)
        : m_reading(std::make_shared<ArtworkReading>(name))
    {
    }

    QIconEngine *clone() const override { return new ReadingIconEngine(*this); }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().availableSizes(mode, state);
    }

private:
    QIcon Icon() const { return QIcon(m_reading->picture()); }

    std::shared_ptr<ArtworkReading> m_reading;
};
} // namespace

QIcon ArtworkIcon(const QString &name)
{
    return QIcon(new ReadingIconEngine(name));
}
