#pragma once

#include <QImage>
#include <QString>

// The imaging control: one bitmap per instance, driven through the members
// the program calls (their numbers are given with each operation). Results
// are 0 on success and LeadFailure otherwise, except the paste query.
//
// The editor keeps one instance per face for clipboard transfers; the
// publisher composes the fold-out with two more:
//     print.Load(foldOut, 0, 1, -1);
//     source.Load(printImage, 0, 1, -1);
//     print.Combine(245, 1, 208, 208, source.Bitmap(), 0, 0, 800);
//     print.Save(foldOut, 10, 24, 2, 0);
class LeadImage
{
public:
    static constexpr qint16 LeadSuccess = 0;
    static constexpr qint16 LeadFailure = -1;
    // Paste option that only asks whether the clipboard holds a picture.
    static constexpr qint16 PasteQuery = 16384;

    LeadImage();
    ~LeadImage();
    LeadImage(const LeadImage &) = delete;
    LeadImage &operator=(const LeadImage &) = delete;

    // Member 310: the picture of a JPEG, BMP or PNG file becomes the bitmap,
    // upright as its EXIF orientation says. The program passes 0, 1, -1.
    // A file that cannot be read leaves the instance without a bitmap, so
    // that nothing stale is copied or combined afterwards.
    qint16 Load(const QString &path, qint16 bitsPerPixel, qint16 page, qint16 pages);

    // A picture held in memory becomes the bitmap, as Load makes one from a
    // file.
    qint16 LoadPicture(const QImage &picture);

    // Member 308 (option 2): puts the bitmap on the system clipboard.
    qint16 Copy(qint16 option);

    // Member 309: with 0 the clipboard's picture becomes the bitmap (the
    // bitmap stays as it was when the clipboard holds none); with
    // PasteQuery returns 1 when the clipboard holds a picture, 0 otherwise.
    qint16 Paste(qint16 option);

    // Member 1: a handle naming this instance's bitmap for Combine, 0 while
    // the instance holds none. It stays valid while the instance lives.
    quint32 Bitmap() const;

    // Member 322: draws the source bitmap, from (srcLeft, srcTop), into the
    // destination rectangle of this bitmap without scaling. Flags 800 (the
    // only value the program uses) copy the source over the destination.
    qint16 Combine(float left, float top, float width, float height, quint32 srcBitmap, float srcLeft, float srcTop,
                   qint32 flags);

    // Member 289: writes the bitmap as a 24-bit JPEG (format 10, 24 bits, not
    // multi-page). Quality factor 2 is very high quality (Qt quality 95);
    // each step above lowers it by one. An existing file is replaced only
    // once the new one is complete.
    qint16 Save(const QString &path, qint16 format, qint16 bitsPerPixel, qint16 qualityFactor, qint16 multiPage);

    const QImage &image() const { return m_image; }

private:
    void setImage(const QImage &image);

    QImage m_image;
    quint32 m_handle;
};
