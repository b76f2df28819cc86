#include "components/imaging/LeadImage.h"

#include "components/pixlet/PictureDecoder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHash>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>
#include <QSaveFile>

namespace {

constexpr qint16 JpegFormat = 10;
// Largest bitmap a load may allocate, in megabytes.
constexpr int LoadLimitMB = 256;

// Live instances by handle, so that a handle never reaches freed memory.
QHash<quint32, const LeadImage *> &instances()
{
    static QHash<quint32, const LeadImage *> map;
    return map;
}

quint32 nextHandle()
{
    static quint32 last = 0;
    return ++last;
}

} // namespace

LeadImage::LeadImage()
    : m_handle(nextHandle())
{
    instances().insert(m_handle, this);
}

LeadImage::~LeadImage()
{
    instances().remove(m_handle);
}

void LeadImage::setImage(const QImage &image)
{
    m_image = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                      : image.convertToFormat(QImage::Format_RGB32);
}

qint16 LeadImage::Load(const QString &path, qint16, qint16, qint16)
{
    setImage(PictureDecoder::DecodeFile(path, {}, LoadLimitMB));
    return m_image.isNull() ? LeadFailure : LeadSuccess;
}

qint16 LeadImage::LoadPicture(const QImage &picture)
{
    setImage(picture);
    return m_image.isNull() ? LeadFailure : LeadSuccess;
}

qint16 LeadImage::Copy(qint16)
{
    if (m_image.isNull())
        return LeadFailure;
    QGuiApplication::clipboard()->setImage(m_image);
    return LeadSuccess;
}

qint16 LeadImage::Paste(qint16 option)
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (option == PasteQuery) {
        const QMimeData *data = clipboard->mimeData();
        return data && data->hasImage() ? 1 : 0;
    }
    const QImage picture = clipboard->image();
    if (picture.isNull())
        return LeadFailure;
    setImage(picture);
    return LeadSuccess;
}

quint32 LeadImage::Bitmap() const
{
    return m_image.isNull() ? 0 : m_handle;
}

qint16 LeadImage::Combine(float left, float top, float width, float height, quint32 srcBitmap, float srcLeft,
                          float srcTop, qint32)
{
    const LeadImage *source = instances().value(srcBitmap);
    if (m_image.isNull() || !source || source->m_image.isNull() || width <= 0 || height <= 0)
        return LeadFailure;
    QPainter painter(&m_image);
    painter.drawImage(QRectF(left, top, width, height), source->m_image, QRectF(srcLeft, srcTop, width, height));
    return LeadSuccess;
}

qint16 LeadImage::Save(const QString &path, qint16 format, qint16 bitsPerPixel, qint16 qualityFactor, qint16 multiPage)
{
    if (m_image.isNull() || format != JpegFormat || bitsPerPixel != 24 || multiPage != 0 || qualityFactor < 2)
        return LeadFailure;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return LeadFailure;
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(qMax(1, 97 - qualityFactor));
    // The final flush is checked before the commit, which would otherwise
    // rename a short file over the old one when the disk is full.
    if (!writer.write(m_image.convertToFormat(QImage::Format_RGB888)) || !file.flush()) {
        file.cancelWriting();
        return LeadFailure;
    }
    return file.commit() ? LeadSuccess : LeadFailure;
}
