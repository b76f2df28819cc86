#include "editor/FaceCommands.h"

#include "components/pixlet/PictureDecoder.h"
#include "core/BusyPointer.h"
#include "core/CubeEdits.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/SmartCrop.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUndoStack>
#include <QUrl>

namespace {

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

FaceCommands::FaceCommands(CubeModel &cube, QUndoStack &undo, FaceThumbnails &thumbnails, QWidget *busyOver)
    : m_cube(cube)
    , m_undo(undo)
    , m_thumbnails(thumbnails)
    , m_busyOver(busyOver)
{
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

void FaceCommands::PushFace(int face, const CubeFace &content, int currentAfter, int textId)
{
    m_undo.push(new FaceEdit(m_cube, face, content, currentAfter, LoadResString(textId)));
}

bool FaceCommands::PutPhoto(int face, const QString &path, int currentAfter, int textId)
{
    CubeFace photo = CubeFace::Photo(path);
    if (Settings::newPhotosFill()) {
        // The framer's one decode places the square and draws the thumbnail.
        if (!framer.Take(photo))
            return false;
        photo = photo.Framed(NewPhotoFraming(photo));
        if (!MakeThumbnailFromFramer(face, photo))
            return false;
    } else if (m_thumbnails.Make(face, photo).isNull()) {
        return false;
    }
    PushFace(face, photo, currentAfter, textId);
    return true;
}

void FaceCommands::SelectFace(int face)
{
    m_cube.SetCurrentFace(face);
}

bool FaceCommands::CanPaste()
{
    return LEAD1[m_cube.CurrentFace()].Paste(LeadImage::PasteQuery) >= 1;
}

void FaceCommands::RemoveFace()
{
    const int face = m_cube.CurrentFace();
    if (m_cube.Face(face).isEmpty())
        return;
    PushFace(face, {}, face, Msg::RemovePhotoStep);
}

void FaceCommands::CopyToClipboard()
{
    const int face = m_cube.CurrentFace();
    const CubeFace &content = m_cube.Face(face);
    if (content.isPasted())
        LEAD1[face].LoadPicture(content.picture());
    else
        LEAD1[face].Load(content.photo(), 0, 1, -1);
    LEAD1[face].Copy(CopyOption);
}

void FaceCommands::CopyFace()
{
    if (m_cube.Face(m_cube.CurrentFace()).isEmpty())
        return;
    const BusyPointer busy(m_busyOver);
    CopyToClipboard();
}

void FaceCommands::CutFace()
{
    const int face = m_cube.CurrentFace();
    if (m_cube.Face(face).isEmpty())
        return;
    const BusyPointer busy(m_busyOver);
    CopyToClipboard();
    PushFace(face, {}, face, Msg::CutPhotoStep);
}

void FaceCommands::PasteFace()
{
    const int face = m_cube.CurrentFace();
    if (LEAD1[face].Paste(PasteOption) != LeadImage::LeadSuccess) {
        ShowMessage(Msg::PasteFailed);
        return;
    }
    const CubeFace pasted = CubeFace::Pasted(LEAD1[face].image());
    if (m_thumbnails.Make(face, pasted).isNull()) {
        ShowMessage(Msg::PasteFailed);
        return;
    }
    PushFace(face, pasted, face, Msg::PastePhotoStep);
}

void FaceCommands::TurnFace(int degrees)
{
    const int face = m_cube.CurrentFace();
    if (m_cube.Face(face).isEmpty())
        return;
    FrameFace(m_cube.Face(face).framing().Turned(degrees), Msg::TurnPhotoStep);
}

bool FaceCommands::TakeForFraming()
{
    const CubeFace &face = m_cube.Face(m_cube.CurrentFace());
    if (face.isEmpty())
        return false;
    const BusyPointer busy(m_busyOver);
    if (framer.Take(face))
        return true;
    ShowMessage(Msg::DroppedPhotoFailed);
    return false;
}

void FaceCommands::FrameFace(const FaceFraming &framing, int textId)
{
    const int index = m_cube.CurrentFace();
    const CubeFace &face = m_cube.Face(index);
    if (face.isEmpty() || face.framing() == framing)
        return;
    const CubeFace framed = face.Framed(framing);
    MakeThumbnailFromFramer(index, framed);
    PushFace(index, framed, index, textId);
}

bool FaceCommands::MakeThumbnailFromFramer(int index, const CubeFace &face)
{
    return framer.Take(face)
           && !m_thumbnails.Make(index, face, {framer.Picture(face.framing(), FaceThumbnails::Edge), framer.upright()})
                   .isNull();
}

QRect FaceCommands::SquareOnWhatMatters() const
{
    const QImage &picture = framer.picture();
    const QRect square = SmartCrop::Square(picture);
    if (square.isEmpty())
        return {};
    const double scale = double(framer.upright().width()) / picture.width();
    const int edge = FaceFraming::LargestSquare(framer.upright());
    const QRect inPhoto(qRound(square.left() * scale), qRound(square.top() * scale), edge, edge);
    return FaceFraming().Filled(inPhoto).SquareIn(framer.upright());
}

FaceFraming FaceCommands::NewPhotoFraming(const CubeFace &photo)
{
    if (!Settings::newPhotosFill() || !framer.Take(photo))
        return {};
    return FaceFraming().Filled(SquareOnWhatMatters());
}

void FaceCommands::FillFace()
{
    if (!TakeForFraming())
        return;
    const FaceFraming &framing = m_cube.Face(m_cube.CurrentFace()).framing();
    FrameFace(framing.Filled(SquareOnWhatMatters()), Msg::FillFaceStep);
}

void FaceCommands::FitFace()
{
    const FaceFraming &framing = m_cube.Face(m_cube.CurrentFace()).framing();
    FrameFace(framing.Fitted(framing.backdrop), Msg::FitFaceStep);
}

void FaceCommands::SetBlurredBackdrop(bool blurred)
{
    const FaceFraming &framing = m_cube.Face(m_cube.CurrentFace()).framing();
    FrameFace(framing.Fitted(blurred ? FaceFraming::Backdrop::Blurred : FaceFraming::Backdrop::White),
              Msg::BackdropStep);
}

void FaceCommands::ResetFraming()
{
    const CubeFace &face = m_cube.Face(m_cube.CurrentFace());
    if (!face.isEmpty())
        FrameFace(NewPhotoFraming(face), Msg::ResetFramingStep);
}

// Any picture the program reads is taken, whatever its name says; a file
// of another kind is refused with the message that names the formats.
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
    if (!PictureDecoder::ProbeFile(path)) {
        effect = 0;
        ShowRefused(path, Msg::DroppedTypeRefused);
        return;
    }
    const BusyPointer busy(m_busyOver);
    if (!PutPhoto(face, path, face, Msg::DropPhotoStep))
        ShowRefused(path, Msg::DroppedPhotoFailed);
}

void FaceCommands::ShowRefused(const QString &path, int otherwise)
{
    if (PictureDecoder::TooLargeFile(path))
        ShowMessage(Msg::PhotoTooLarge, {QDir::toNativeSeparators(path)});
    else
        ShowMessage(otherwise);
}
