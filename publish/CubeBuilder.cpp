#include "publish/CubeBuilder.h"

#include "components/imaging/LeadImage.h"
#include "components/pixlet/Pixlet.h"
#include "core/AppPaths.h"
#include "core/CubeModel.h"
#include "core/CubeRenderer.h"
#include "core/FileCommit.h"
#include "core/FramedPicture.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "publish/CubePage.h"
#include "publish/FoldOutPdf.h"
#include "publish/MovingPicture.h"
#include "publish/ProgressSink.h"
#include "publish/SingleFileCube.h"
#include "resources/StringTable.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>

namespace {
const QString kPage = QStringLiteral("Vexilo.htm");
const QString kFoldOut = QStringLiteral("cubefold.jpg");
const QString kFoldOutPdf = QStringLiteral("cubefold.pdf");
const QString kPlayer = QStringLiteral("imagevexilo.class");
const QString kLinkPreview = QStringLiteral("preview.jpg");
const QString kMessageFolder = QStringLiteral("message");

// The work directory is scratch: its files need not survive a crash.
bool WriteWhole(const QString &path, const QByteArray &content)
{
    return FileCommit::ReplaceScratch(path, content);
}

// The picture as JPEG at the best quality, down to a floor, that keeps it
// within budget bytes.
QByteArray JpegWithin(const QImage &picture, qsizetype budget)
{
    QByteArray jpeg;
    for (int quality = 90; quality >= 40; quality -= 10) {
        jpeg.clear();
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        if (picture.isNull() || !writer.write(picture))
            return {};
        if (jpeg.size() <= budget)
            break;
    }
    return jpeg;
}

// The file's bytes; empty when it cannot be read whole.
QByteArray ReadWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? bytes : QByteArray();
}
} // namespace

QString CubeBuilder::InWorkDirectory(const QString &name) const
{
    return AppPaths::join(m_work, name);
}

int CubeBuilder::FoldOutCellOf(int faceIndex)
{
    return int(std::find(std::begin(FoldOutFace), std::end(FoldOutFace), faceIndex + 1) - std::begin(FoldOutFace));
}

QStringList CubeBuilder::PlainFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

// A template file that is missing, or that cannot be copied whole, leaves
// the work directory's copy as it was.
void CubeBuilder::CopyTemplateFile(const QString &name) const
{
    QFile source(AppPaths::join(AppPaths::templateDirectory(), name));
    if (!QFileInfo(source).isFile() || !source.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = source.readAll();
    if (source.error() == QFileDevice::NoError)
        WriteWhole(InWorkDirectory(name), bytes);
}

void CubeBuilder::CopyTemplateFiles() const
{
    for (const QString &name : PlainFiles(AppPaths::templateDirectory()))
        CopyTemplateFile(name);
    QFile::rename(InWorkDirectory(QStringLiteral("vexilo.cls")), InWorkDirectory(kPlayer));
}

void CubeBuilder::PrepareWorkDirectory()
{
    if (m_work.isEmpty() || (!QFileInfo(m_work).isDir() && !QDir().mkdir(m_work)))
        return;
    CopyTemplateFiles();
    QStringList targets;
    for (const QString &name : PlainFiles(m_work))
        targets << InWorkDirectory(name);
    gZipTargets = targets.join(QLatin1Char('|'));
}

// The work directory with the page's template refreshed; made again, and
// filled from the template directory, when it has gone.
bool CubeBuilder::EnterWorkDirectory(ProgressSink &progress)
{
    if (QFileInfo(m_work).isDir()) {
        CopyTemplateFile(kPage);
        return true;
    }
    if (m_work.isEmpty() || !QDir().mkdir(m_work)) {
        ShowMessage(Msg::UnableToCreateTempDirectory);
        return false;
    }
    progress.setStatus(LoadResString(Msg::CopyingHtmlFiles));
    CopyTemplateFiles();
    return true;
}

bool CubeBuilder::BuildCubeFiles(CubeModel &cube, const CubeControls &controls, ProgressSink &progress)
{
    progress.showStep(1);
    progress.setStatus(LoadResString(Msg::Building));
    progress.repaintNow();

    if (!EnterWorkDirectory(progress))
        return false;
    progress.showStep(2);
    progress.repaintNow();

    m_withoutPicture.clear();
    if (FoldOutIsCurrent(cube))
        WriteKeptFoldOut(progress);
    else
        MakeFacesAndFoldOut(cube, controls, progress);
    WriteLinkPreview();
    RemoveMessagePicture(m_work);
    progress.showStep(9);
    progress.repaintNow();

    WritePages(cube);
    progress.repaintNow();
    return true;
}

void CubeBuilder::SetBox(Pixlet &pixlet, qint16 box)
{
    pixlet.setBoxHeight(box);
    pixlet.setBoxWidth(box);
    pixlet.setMember9(true);
    pixlet.setMember11(64);
}

// The face's picture as every output shows it, framed at print quality.
CubeBuilder::PrintPicture CubeBuilder::Boxed(const Pixlet &pixlet, const CubeFace &face)
{
    const QImage picture = FramedPicture::FromSource(pixlet, face.framing(), PrintQualityBox).picture;
    return {Pixlet::Jpeg(picture), picture};
}

QStringList CubeBuilder::WebImageNames(int faceIndex)
{
    QStringList names;
    for (const WebSize &size : WebSizes)
        names << FaceFileName(QStringLiteral("image"), faceIndex)
                     .replace(QLatin1String(".jpg"), QLatin1String(size.suffix) + ".jpg");
    return names;
}

// The face's picture at every size the page offers, from its print picture;
// the largest within its budget.
void CubeBuilder::MakeWebImages(Pixlet &pixlet, const QImage &printPicture, int faceIndex) const
{
    const QStringList names = WebImageNames(faceIndex);
    for (int s = 0; s < names.size(); ++s) {
        pixlet.setSourcePicture(printPicture);
        pixlet.setDestinationFile(InWorkDirectory(names.at(s)));
        SetBox(pixlet, WebSizes[s].edge);
        if (s + 1 < names.size())
            pixlet.Generate();
        else
            WriteWhole(InWorkDirectory(names.at(s)), JpegWithin(pixlet.BoxedPicture(), LargestWebImageBytes));
    }
}

CubeBuilder::FaceStamp CubeBuilder::StampOf(const CubeFace &face)
{
    if (!face.isPhoto())
        return {face, -1, {}};
    const QFileInfo photo(face.photo());
    if (!photo.isFile())
        return {};
    return {face, photo.size(), photo.lastModified()};
}

// The print pictures of the faces that have changed are made side by side
// on the machine's cores, each by a thumbnail generator of its own.
void CubeBuilder::StartPrintPictures(const CubeModel &cube, const CubeControls &controls)
{
    for (int i = 0; i < FaceCount; ++i)
        StartPrintPicture(i, StampOf(cube.Face(i)), controls);
}

// Starts making the face's print picture unless it is made or being made.
void CubeBuilder::StartPrintPicture(int faceIndex, const FaceStamp &now, const CubeControls &controls)
{
    if (now.isEmpty() || now == m_print[faceIndex].stamp
        || (m_printMade[faceIndex].valid() && m_printStarted[faceIndex] == now))
        return;
    m_printStarted[faceIndex] = now;
    Pixlet pixlet = controls.Pixlet1;
    FramedPicture::SetSource(pixlet, now.face);
    SetBox(pixlet, PrintQualityBox);
    auto task =
        std::make_shared<std::packaged_task<PrintPicture()>>([pixlet, face = now.face] { return Boxed(pixlet, face); });
    m_printMade[faceIndex] = task->get_future();
    m_decoders.start([task] { (*task)(); });
}

// The print-quality picture of a face; made again only when the face has
// changed since the last build. Null when its photo cannot be read.
QImage CubeBuilder::MakePrintImage(const CubeFace &face, const CubeControls &controls, int faceIndex)
{
    PrintMemo &memo = m_print[faceIndex];
    const FaceStamp now = StampOf(face);
    PrintPicture made;
    if (!now.isEmpty() && memo.stamp == now) {
        made.jpeg = memo.jpeg;
    } else if (!now.isEmpty()) {
        StartPrintPicture(faceIndex, now, controls);
        made = m_printMade[faceIndex].get();
        memo = {now, made.jpeg};
    }
    if (made.jpeg.isEmpty()) {
        memo = PrintMemo();
        return {};
    }
    return made.picture.isNull() ? QImage::fromData(made.jpeg, "JPEG") : made.picture;
}

// The faces' files, and the fold-out and its PDF drawn afresh from the
// blank fold-out, kept for the next build when every face has a picture.
void CubeBuilder::MakeFacesAndFoldOut(CubeModel &cube, const CubeControls &controls, ProgressSink &progress)
{
    const QString foldOut = InWorkDirectory(kFoldOut);
    CopyTemplateFile(kFoldOut);
    controls.PrintImage.Load(foldOut, 0, 1, -1);
    StartPrintPictures(cube, controls);
    QImage printFaces[FaceCount];
    for (int i = 0; i < FaceCount; ++i) {
        const bool makeWebImage = cube.FaceChanged(i);
        if (makeWebImage) {
            progress.setStatus(LoadResString(Msg::CreatingImageFiles));
            // An emptied face gets its placeholder, and stays changed.
            if (cube.Face(i).isEmpty())
                for (const QString &name : WebImageNames(i))
                    CopyTemplateFile(name);
            else
                cube.MarkFaceBuilt(i);
        }
        if (!cube.Face(i).isEmpty()) {
            // One decode of the photo makes the print picture; the web image
            // and the fold-out's picture are made from it. A face whose photo
            // has gone makes neither and leaves its cell blank.
            printFaces[i] = MakePrintImage(cube.Face(i), controls, i);
            if (printFaces[i].isNull())
                m_withoutPicture << i;
            else if (makeWebImage)
                MakeWebImages(controls.Pixlet1, printFaces[i], i);
            DrawOnFoldOut(controls, i, printFaces[i]);
        }
        progress.showStep(i + 3);
        progress.repaintNow();
    }
    const bool saved = controls.PrintImage.Save(foldOut, 10, 24, 2, 0) == LeadImage::LeadSuccess;
    const bool printable = FoldOutPdf::Write(InWorkDirectory(kFoldOutPdf), printFaces);
    m_kept = KeptFoldOut();
    if (saved && printable && m_withoutPicture.isEmpty()) {
        for (int i = 0; i < FaceCount; ++i)
            m_kept.faces[i] = StampOf(cube.Face(i));
        m_kept.jpeg = ReadWhole(foldOut);
        m_kept.pdf = ReadWhole(InWorkDirectory(kFoldOutPdf));
    }
}

// True when no face has changed since the kept fold-out was made.
bool CubeBuilder::FoldOutIsCurrent(const CubeModel &cube) const
{
    if (m_kept.jpeg.isEmpty() || m_kept.pdf.isEmpty())
        return false;
    for (int i = 0; i < FaceCount; ++i)
        if (cube.FaceChanged(i) || !(m_kept.faces[i] == StampOf(cube.Face(i))))
            return false;
    return true;
}

// The fold-out and its PDF as they were made, with the build's steps.
void CubeBuilder::WriteKeptFoldOut(ProgressSink &progress)
{
    for (int i = 0; i < FaceCount; ++i) {
        progress.showStep(i + 3);
        progress.repaintNow();
    }
    if (!WriteWhole(InWorkDirectory(kFoldOut), m_kept.jpeg) || !WriteWhole(InWorkDirectory(kFoldOutPdf), m_kept.pdf))
        m_kept = KeptFoldOut();
}

// The face's picture at the fold-out's cell size, turned to stand upright on
// the folded cube, drawn into its cell.
void CubeBuilder::DrawOnFoldOut(const CubeControls &controls, int faceIndex, const QImage &picture)
{
    if (picture.isNull())
        return;
    const int cell = FoldOutCellOf(faceIndex);
    const QImage fitted = picture.scaled(FoldOutCell, FoldOutCell, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .transformed(QTransform().rotate(FoldOutTurn[cell]));
    controls.PrintSource.LoadPicture(fitted);
    controls.PrintImage.Combine(FoldOutLeft[cell], FoldOutTop[cell], FoldOutCell, FoldOutCell,
                                controls.PrintSource.Bitmap(), 0, 0, 800);
}

CubeRenderer CubeBuilder::BuiltCube(int side) const
{
    const int needed = CubeRenderer::ShownFaceEdge(side);
    const auto sharp = std::find_if(std::begin(WebSizes), std::end(WebSizes) - 1,
                                    [needed](const WebSize &size) { return size.edge >= needed; });
    std::array<QImage, FaceCount> faces;
    for (int i = 0; i < FaceCount; ++i)
        faces[i] = QImage(InWorkDirectory(WebImageNames(i).at(sharp - std::begin(WebSizes))));
    return CubeRenderer(faces);
}

// The picture a link to the page shows where it is shared: the cube as the
// page first shows it, on the page's background.
void CubeBuilder::WriteLinkPreview() const
{
    QImage preview(LinkPreviewSize, QImage::Format_RGB32);
    preview.fill(QColor(0xee, 0xf2, 0xf9));
    QPainter painter(&preview);
    // The cube as the page first shows it, in a square as tall as the picture.
    const int side = LinkPreviewSize.height();
    BuiltCube(side).Paint(painter, QRect((LinkPreviewSize.width() - side) / 2, 0, side, side),
                          CubeAttitude::Showing());
    painter.end();
    WriteWhole(InWorkDirectory(kLinkPreview), Pixlet::Jpeg(preview));
}

QString CubeBuilder::MessagePictureIn(const QString &workDirectory)
{
    return AppPaths::join(AppPaths::join(workDirectory, kMessageFolder), QStringLiteral("Cube.gif"));
}

void CubeBuilder::RemoveMessagePicture(const QString &workDirectory)
{
    QDir(AppPaths::join(workDirectory, kMessageFolder)).removeRecursively();
}

bool CubeBuilder::WriteMessagePicture() const
{
    if (!QDir(m_work).mkpath(kMessageFolder))
        return false;
    MovingPicture::Options options = MovingPicture::Options::For(MovingPicture::Format::Gif);
    options.edge = MessagePictureEdge;
    return MovingPicture::Write(BuiltCube(options.edge), options, MessagePictureIn(m_work)).written;
}

namespace {
QStringList FaceTexts(const CubeModel &cube)
{
    QStringList texts;
    for (int i = 0; i < FaceCount; ++i)
        texts << QFileInfo(cube.Face(i).photo()).fileName();
    return texts;
}
} // namespace

// The page from the template, with the caption, and the single-file cube
// from the page. Any error leaves the page (and the single file) as it was.
void CubeBuilder::WritePages(const CubeModel &cube) const
{
    QFile source(AppPaths::join(AppPaths::templateDirectory(), kPage));
    if (!source.open(QIODevice::ReadOnly))
        return;
    const QByteArray templateText = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return;
    source.close();

    QHash<QString, QByteArray> scripts;
    QFile player(InWorkDirectory(kPlayer));
    if (player.open(QIODevice::ReadOnly))
        scripts.insert(kPlayer, player.readAll());
    const QByteArray page =
        CubePage::Make(templateText, cube.Caption(), FaceTexts(cube), scripts, LoadResString(Msg::PageLanguage));
    if (WriteWhole(InWorkDirectory(kPage), page))
        WriteWhole(InWorkDirectory(QString::fromLatin1(SingleFileCube::FileName)), SingleFileCube::Make(page, m_work));
}
