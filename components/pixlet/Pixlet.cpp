#include "components/pixlet/Pixlet.h"

#include "components/pixlet/PictureDecoder.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>

namespace {

constexpr int MaxBoxEdge = 4096;
constexpr int JpegQuality = 90;

QImage Fitted(const QImage &picture, QSize box)
{
    if (picture.isNull() || !box.isValid())
        return picture;
    return picture.scaled(PictureDecoder::FitInto(picture.size(), box), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Written beside the destination and renamed over it, so that a failed
// write leaves the old file in place. Not forced to the disk: every output is
// remade from its photo when lost, and a browser full of thumbnails would
// otherwise wait on the disk for each.
bool WriteWhole(const QByteArray &jpeg, const QString &path)
{
    if (path.isEmpty())
        return false;
    QFile file(path + QStringLiteral(".part-") + QString::number(QRandomGenerator::global()->generate64(), 36));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = file.write(jpeg) == jpeg.size() && file.flush();
    file.close();
    if (written && file.error() == QFileDevice::NoError
        && std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    file.remove();
    return false;
}

} // namespace

void Pixlet::setSourceFile(const QString &path)
{
    m_sourceFile = path;
    m_fromClipboard = false;
    m_sourcePicture = QImage();
}

void Pixlet::setSourcePicture(const QImage &picture)
{
    m_sourcePicture = picture;
    m_fromClipboard = false;
}

PictureDecoder::Decoded Pixlet::DecodedPicture(const PictureDecoder::BoxRule &boxFor) const
{
    if (!m_fromClipboard && m_sourcePicture.isNull())
        return PictureDecoder::DecodeFileFor(m_sourceFile, boxFor);
    const QImage picture = m_fromClipboard ? QGuiApplication::clipboard()->image() : m_sourcePicture;
    if (picture.isNull())
        return {};
    return {Fitted(picture, boxFor(picture.size())), picture.size()};
}

PictureDecoder::DecodedPart Pixlet::DecodedPart(const PictureDecoder::PartRule &partFor, int edge) const
{
    if (!m_fromClipboard && m_sourcePicture.isNull())
        return PictureDecoder::DecodeFilePart(m_sourceFile, partFor, edge);
    const PictureDecoder::Decoded whole = DecodedPicture([](QSize) { return QSize(); });
    return {whole.picture, whole.upright, QRect(QPoint(), whole.upright)};
}

QImage Pixlet::FittedPicture() const
{
    if (m_box.width() < 1 || m_box.height() < 1 || m_box.width() > MaxBoxEdge || m_box.height() > MaxBoxEdge)
        return {};
    if (m_useEmbeddedPreview && !m_fromClipboard && m_sourcePicture.isNull()) {
        const QImage preview = PictureDecoder::DecodePreviewFile(m_sourceFile, m_box);
        if (!preview.isNull())
            return preview;
    }
    return DecodedPicture([box = m_box](QSize) { return box; }).picture;
}

QImage Pixlet::BoxedPicture() const
{
    const QImage picture = FittedPicture();
    if (picture.isNull())
        return {};
    QImage canvas(m_box, QImage::Format_RGB32);
    canvas.fill(m_backColor);
    QPainter painter(&canvas);
    const QRect where(QPoint((m_box.width() - picture.width()) / 2, (m_box.height() - picture.height()) / 2),
                      picture.size());
    // A picture's transparent parts show on white, as on the cube's faces;
    // only the box around it takes the back colour.
    if (picture.hasAlphaChannel())
        painter.fillRect(where, Qt::white);
    painter.drawImage(where.topLeft(), picture);
    painter.end();
    return canvas;
}

QByteArray Pixlet::Jpeg(const QImage &picture)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(JpegQuality);
    return !picture.isNull() && writer.write(picture) ? jpeg : QByteArray();
}

bool Pixlet::Generate()
{
    const QByteArray jpeg = Jpeg(BoxedPicture());
    return !jpeg.isEmpty() && WriteWhole(jpeg, m_destinationFile);
}
