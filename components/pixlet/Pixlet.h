#pragma once

#include "components/pixlet/PictureDecoder.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

// The thumbnail generator: fits a photo into a box of the given edge lengths
// keeping its aspect ratio, fills the rest with BackColor and writes exactly
// box-sized JPEG. Members are named with the numbers the program knows them by:
//
//     pixlet.setSourceFile(path);          // member 1 (or setFromClipboard, 10)
//     pixlet.setBoxWidth(77);              // member 5
//     pixlet.setBoxHeight(77);             // member 6
//     pixlet.setDestinationFile(thumb);    // member 2
//     pixlet.setMember11(2);
//     if (pixlet.Generate()) ...           // member 12
//
// The source set last is the one read: setFromClipboard(true) after a file
// reads the clipboard, setSourceFile after a clipboard reads the file.
class Pixlet
{
public:
    // Member 1: the photo file, of any format PictureDecoder reads; a name
    // ending as a format's does must hold that format.
    void setSourceFile(const QString &path);
    QString sourceFile() const { return m_sourceFile; }

    // Member 2: the JPEG file to write.
    void setDestinationFile(const QString &path) { m_destinationFile = path; }
    QString destinationFile() const { return m_destinationFile; }

    // Members 5 and 6: width and height of the box, in pixels (1 to 4096).
    void setBoxWidth(qint16 pixels) { m_box.setWidth(pixels); }
    void setBoxHeight(qint16 pixels) { m_box.setHeight(pixels); }
    QSize box() const { return m_box; }

    // Members 9 and 11 are kept for the callers that set them; the output
    // does not depend on them.
    void setMember9(bool value) { m_member9 = value; }
    bool member9() const { return m_member9; }
    void setMember11(qint16 value) { m_member11 = value; }
    qint16 member11() const { return m_member11; }

    // Member 10: true takes the picture on the clipboard as the source.
    void setFromClipboard(bool fromClipboard) { m_fromClipboard = fromClipboard; }
    bool fromClipboard() const { return m_fromClipboard; }

    // A picture held in memory as the source, read like a photo file; the
    // clipboard and the file are not read while it is set.
    void setSourcePicture(const QImage &picture);

    // A camera's EXIF preview, or the thumbnail a HEIF file stores, stands
    // in for the photo when it is large enough for the box: for browser
    // thumbnails, not for the faces.
    void setUseEmbeddedPreview(bool use) { m_useEmbeddedPreview = use; }

    void setBackColor(const QColor &color) { m_backColor = color; }
    QColor backColor() const { return m_backColor; }

    // Member 12: writes the destination file; true on success. On failure
    // an existing destination file keeps its content.
    bool Generate();
    // The box-sized picture that Generate writes, without writing it; null
    // when the source cannot be read. Safe on any thread for a file source.
    QImage BoxedPicture() const;
    // The source picture, upright, fitted into the box the rule gives for
    // its full upright size; null when the source cannot be read. Safe on
    // any thread for a file source.
    PictureDecoder::Decoded DecodedPicture(const PictureDecoder::BoxRule &boxFor) const;
    // The part of the source picture the rule chooses, upright, with edge
    // pixels across it where the source has them (see
    // PictureDecoder::DecodeFilePart); a picture in memory shows whole.
    PictureDecoder::DecodedPart DecodedPart(const PictureDecoder::PartRule &partFor, int edge) const;
    // The picture as the JPEG Generate writes; empty for a null picture.
    static QByteArray Jpeg(const QImage &picture);

private:
    // The source picture decoded to fit the box; null when it cannot be read.
    QImage FittedPicture() const;

    QString m_sourceFile;
    QString m_destinationFile;
    QSize m_box;
    bool m_member9 = false;
    qint16 m_member11 = 0;
    bool m_fromClipboard = false;
    QImage m_sourcePicture;
    bool m_useEmbeddedPreview = false;
    QColor m_backColor = Qt::white;
};
