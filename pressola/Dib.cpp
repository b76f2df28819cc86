#include "pressola/Dib.h"

#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QPainter>

namespace {
// Read as BMP alone: a reader left to guess would first load every image
// format plugin installed.
QImage ReadBitmap(const QString &path)
{
    QImageReader reader(path, "BMP");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// Bitmaps compiled into the program (":/...") do not change while it runs:
// each is read once however many controls show it.
QImage ReadResourceBitmap(const QString &path)
{
    static QHash<QString, QImage> read;
    const bool compiledIn = path.startsWith(QLatin1Char(':'));
    if (compiledIn && read.contains(path))
        return read.value(path);
    const QImage bitmap = QFile::exists(path) ? ReadBitmap(path) : QImage();
    if (compiledIn)
        read.insert(path, bitmap);
    return bitmap;
}
} // namespace

bool CDib::LoadFromResource(const QString &module, const QString &name)
{
    if (module.isEmpty() || name.isEmpty())
        return false;
    Reset();
    const QString path = module + QLatin1Char('/') + name + QStringLiteral(".bmp");
    if (!Attach(ReadResourceBitmap(path)))
        return false;
    const QImage twin = ReadResourceBitmap(module + QLatin1Char('/') + name + QStringLiteral("@2x.bmp"));
    if (twin.size() == m_bitmap.size() * 2)
        m_double = twin;
    return true;
}

bool CDib::LoadFromFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    Reset();
    if (!QFile::exists(path))
        return false;
    return Attach(ReadBitmap(path));
}

bool CDib::Attach(const QImage &bitmap)
{
    if (bitmap.isNull())
        return false;
    m_bitmap = bitmap;
    m_info.bmType = 0;
    m_info.bmWidth = bitmap.width();
    m_info.bmHeight = bitmap.height();
    m_info.bmWidthBytes = int(bitmap.bytesPerLine());
    m_info.bmPlanes = 1;
    m_info.bmBitsPixel = bitmap.depth();
    m_info.bmBits = m_bitmap.constBits();
    m_palette.clear();
    return MakePalette();
}

bool CDib::MakePalette()
{
    // A bitmap without colour table draws its own colours directly.
    m_palette = m_bitmap.colorTable().mid(0, 256);
    return true;
}

bool CDib::Draw(QPainter &painter, const QRect &rect)
{
    if (m_bitmap.isNull())
        return false;
    if (!m_double.isNull() && painter.device() && painter.device()->devicePixelRatio() >= 1.5) {
        if (m_double.format() != QImage::Format_ARGB32_Premultiplied)
            m_double = m_double.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        painter.drawImage(rect, m_double);
        return true;
    }
    if (m_drawable.isNull())
        m_drawable = m_bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (m_drawable.isNull())
        return false;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect, m_drawable);
    painter.restore();
    return true;
}

void CDib::Reset()
{
    m_palette.clear();
    m_drawable = QImage();
    m_double = QImage();
    m_info = BitmapInfo();
    m_bitmap = QImage();
}
