#include "editor/FaceCommands.h"

#include "core/AppPaths.h"
#include "core/BusyPointer.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "editor/FacePicture.h"
#include "editor/TopForm.h"
#include "resources/StringTable.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

constexpr qint16 ThumbnailEdge = 77;
constexpr qint16 ThumbnailMode = 2;
constexpr qint16 CopyOption = 2;
constexpr qint16 PasteOption = 0;

// A file that can be opened for reading; pipes and devices are not tried,
// as opening them may block.
bool CanOpen(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

} // namespace

FaceCommands::FaceCommands(TopForm &form)
    : m_form(form)
{
}

QString FaceCommands::ThumbnailFile(int face)
{
    return FaceFileName(AppPaths::join(gTempDirectory, QStringLiteral("thumb")), face);
}

int FaceCommands::NeighbourFace(int face, FacePicture::KeyCommand arrow)
{
    static const QList<int> row = {0, 1, 2, 4};
    static const QList<int> column = {3, 2, 5};
    using Key = FacePicture::KeyCommand;
    const bool across = arrow == Key::Left || arrow == Key::Right;
    const QList<int> &line = across ? row : column;
    const qsizetype at = line.indexOf(face);
    if (at < 0)
        return face;
    const qsizetype next = at + (arrow == Key::Left || arrow == Key::Up ? -1 : 1);
    return next >= 0 && next < line.size() ? line[next] : face;
}

bool FaceCommands::MakeFaceThumbnail(int face, const QString &sourcePath)
{
    Pixlet &pixlet = m_form.Pixlet1;
    if (sourcePath.isEmpty())
        pixlet.setFromClipboard(true);
    else
        pixlet.setSourceFile(sourcePath);
    pixlet.setBoxWidth(ThumbnailEdge);
    pixlet.setBoxHeight(ThumbnailEdge);
    pixlet.setDestinationFile(ThumbnailFile(face));
    pixlet.setMember11(ThumbnailMode);
    return pixlet.Generate();
}

bool FaceCommands::ShowFaceThumbnail(int face)
{
    QPixmap thumbnail;
    const bool loaded = thumbnail.load(ThumbnailFile(face), "jpeg");
    if (loaded)
        m_form.Image1[face]->setPixmap(thumbnail);
    QFile::remove(ThumbnailFile(face));
    return loaded;
}

bool FaceCommands::FaceThumbnailStep(int face, const QString &sourcePath)
{
    return MakeFaceThumbnail(face, sourcePath) && ShowFaceThumbnail(face);
}

void FaceCommands::SelectFace(int face)
{
    qint16 old = gCurrentFace;
    gCurrentFace = qint16(face);
    qint16 showButton = True;
    m_form.UpdateSelection(old, gCurrentFace, showButton);
}

void FaceCommands::PrepareContextMenu(int face)
{
    m_form.Paste->setEnabled(m_form.LEAD1[face].Paste(LeadImage::PasteQuery) >= 1);
    const bool holdsPhoto = !gFaceSource[face].isEmpty();
    m_form.Copy->setEnabled(holdsPhoto);
    m_form.Cut->setEnabled(holdsPhoto);
    m_form.Remove->setEnabled(holdsPhoto);
    m_form.Remove->setText(LoadResString(Msg::RemoveCaption));
    m_form.Cut->setText(LoadResString(Msg::CutCaption));
    m_form.Copy->setText(LoadResString(Msg::CopyCaption));
    m_form.Paste->setText(LoadResString(Msg::PasteCaption));
}

void FaceCommands::RemoveFace()
{
    const int face = gCurrentFace;
    if (gFaceSource[face].isEmpty())
        return;
    m_form.Image1[face]->setPixmap(m_form.Image1[face + 6]->pixmap());
    gFaceSource[face].clear();
    gFaceChanged[face] = True;
    m_form.ContextButton[face]->hide();
}

void FaceCommands::CopyToClipboard()
{
    const int face = gCurrentFace;
    if (gFaceSource[face] != ClipboardSource)
        m_form.LEAD1[face].Load(gFaceSource[face], 0, 1, -1);
    m_form.LEAD1[face].Copy(CopyOption);
}

void FaceCommands::CopyFace()
{
    if (gFaceSource[gCurrentFace].isEmpty())
        return;
    const BusyPointer busy(&m_form);
    CopyToClipboard();
}

void FaceCommands::CutFace()
{
    if (gFaceSource[gCurrentFace].isEmpty())
        return;
    const BusyPointer busy(&m_form);
    CopyToClipboard();
    RemoveFace();
}

void FaceCommands::PasteFace()
{
    const int face = gCurrentFace;
    if (!MakeFaceThumbnail(face, QString()) || m_form.LEAD1[face].Paste(PasteOption) != LeadImage::LeadSuccess
        || !ShowFaceThumbnail(face)) {
        ShowMessage(Msg::PasteFailed);
        return;
    }
    gFaceChanged[face] = True;
    gFaceSource[face] = ClipboardSource;
}

bool FaceCommands::AcceptedEnding(const QString &path)
{
    static const QStringList endings = {QStringLiteral(".bmp"), QStringLiteral(".BMP"), QStringLiteral(".jpg"),
                                        QStringLiteral(".JPG"), QStringLiteral("jpeg"), QStringLiteral("JPEG")};
    return endings.contains(path.right(4));
}

void FaceCommands::DropFiles(int face, const QMimeData *data, qint32 &effect)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty()) {
        effect = 0;
        return;
    }
    effect = 1;
    const QString path = data->urls().constFirst().toLocalFile();
    if (!CanOpen(path)) {
        effect = 0;
        return;
    }
    if (!AcceptedEnding(path)) {
        effect = 0;
        ShowMessage(Msg::DroppedTypeRefused);
        return;
    }
    const BusyPointer busy(&m_form);
    if (FaceThumbnailStep(face, path)) {
        gFaceSource[face] = path;
        gFaceChanged[face] = True;
        qint16 old = gCurrentFace;
        gCurrentFace = qint16(face);
        qint16 noButton = False;
        m_form.UpdateSelection(old, gCurrentFace, noButton);
    } else {
        ShowMessage(Msg::DroppedPhotoFailed);
    }
}
