#include "components/pixlet/Pixlet.h"

#include "components/pixlet/PictureDecoder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace {

constexpr int MaxBoxEdge = 4096;
constexpr int JpegQuality = 90;

QImage ClipboardPicture(QSize box)
{
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return {};
    return picture.scaled(PictureDecoder::FitInto(picture.size(), box), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool WriteJpeg(const QImage &image, const QString &path)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The final flush is checked before the commit, which would otherwise
    // rename a short file over the old one when the disk is full.
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(JpegQuality);
    if (!writer.write(image) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

void Pixlet::setSourceFile(const QString &path)
{
    m_sourceFile = path;
    m_fromClipboard = false;
}

QImage Pixlet::FittedPicture() const
{
    if (m_box.width() < 1 || m_box.height() < 1 || m_box.width() > MaxBoxEdge || m_box.height() > MaxBoxEdge)
        return {};
    if (m_fromClipboard)
        return ClipboardPicture(m_box);
    if (m_useEmbeddedPreview) {
        const QImage preview = PictureDecoder::DecodePreviewFile(m_sourceFile, m_box);
        if (!preview.isNull())
            return preview;
    }
    return PictureDecoder::DecodeFile(m_sourceFile, m_box);
}

bool Pixlet::Generate()
{
    const QImage picture = FittedPicture();
    if (picture.isNull())
        return false;
    QImage canvas(m_box, QImage::Format_RGB32);
    canvas.fill(m_backColor);
    QPainter painter(&canvas);
    painter.drawImage((m_box.width() - picture.width()) / 2, (m_box.height() - picture.height()) / 2, picture);
    painter.end();
    return WriteJpeg(canvas, m_destinationFile);
}
