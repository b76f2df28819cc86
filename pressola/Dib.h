#pragma once

#include "pressola/PressolaExport.h"

#include <QImage>
#include <QList>
#include <QRgb>

class QPainter;
class QRect;

// The description of a bitmap: all zero while a CDib is empty.
struct BitmapInfo
{
    int bmType = 0;
    int bmWidth = 0;
    int bmHeight = 0;
    int bmWidthBytes = 0;
    int bmPlanes = 0;
    int bmBitsPixel = 0;
    const uchar *bmBits = nullptr;
};

// A device-independent bitmap with the palette made from its colour table.
// Bitmaps with a colour table (8 bits per pixel and less) keep their indices
// and table as loaded; drawing maps every index through the table.
class PRESSOLA_EXPORT CDib
{
public:
    // The named bitmap of a module's resources: module is the folder of the
    // module's bitmap resources (":/bitmaps" for the host program), and the
    // resource is module/NAME.bmp. A module/NAME@2x.bmp of twice the size
    // beside it is what screens of twice the density are drawn from.
    bool LoadFromResource(const QString &module, const QString &name);
    bool LoadFromFile(const QString &path);
    bool Attach(const QImage &bitmap);

    // Draws the whole bitmap stretched into the rectangle; on a device of
    // twice the density or more, the double-size bitmap when there is one.
    bool Draw(QPainter &painter, const QRect &rect);
    void Reset();

    bool IsEmpty() const { return m_bitmap.isNull(); }
    bool HasDoubleSize() const { return !m_double.isNull(); }
    int Width() const { return m_info.bmWidth; }
    int Height() const { return m_info.bmHeight; }
    const BitmapInfo &Info() const { return m_info; }
    const QList<QRgb> &Palette() const { return m_palette; }

private:
    bool MakePalette();

    QImage m_bitmap;
    QList<QRgb> m_palette;
    BitmapInfo m_info;
    QImage m_drawable; // prepared on the first draw, reused until reset
    QImage m_double; // the double-size bitmap, made ready on its first draw
};
