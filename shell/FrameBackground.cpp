#include "shell/FrameBackground.h"

#include <QColor>

QBrush FrameBackground::Cover(const QPixmap &picture, const QSize &size, qreal ratio)
{
    if (picture.isNull() || size.isEmpty())
        return QBrush(QColor(0x1c, 0x2a, 0x4a));
    const QSize pixels = size * ratio;
    const QPixmap scaled = picture.scaled(pixels, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QPixmap cropped = scaled.copy((scaled.width() - pixels.width()) / 2, (scaled.height() - pixels.height()) / 2,
                                  pixels.width(), pixels.height());
    cropped.setDevicePixelRatio(ratio);
    return QBrush(cropped);
}
