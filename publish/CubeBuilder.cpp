#include "publish/CubeBuilder.h"

#include "components/imaging/LeadImage.h"
#include "components/pixlet/Pixlet.h"
#include "core/AppPaths.h"
#include "core/CurrentDirectoryKeeper.h"
#include "core/FaceModel.h"
#include "core/FileCommit.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "publish/CubePage.h"
#include "publish/FoldOutPdf.h"
#include "publish/ProgressSink.h"
#include "publish/SingleFileCube.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
const QString kPage = QStringLiteral("Vexilo.htm");
const QString kFoldOut = QStringLiteral("cubefold.jpg");
const QString kFoldOutPdf = QStringLiteral("cubefold.pdf");
const QString kPlayer = QStringLiteral("imagevexilo.class");
constexpr qint16 WebBox = 250;

QString InWorkDirectory(const QString &name)
{
    return AppPaths::join(gTempDirectory, name);
}

// The work directory is scratch: its files need not survive a crash.
bool WriteWhole(const QString &path, const QByteArray &content)
{
    return FileCommit::ReplaceScratch(path, content);
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
void CubeBuilder::CopyTemplateFile(const QString &name)
{
    QFile source(AppPaths::join(AppPaths::templateDirectory(), name));
    if (!QFileInfo(source).isFile() || !source.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = source.readAll();
    if (source.error() == QFileDevice::NoError)
        WriteWhole(InWorkDirectory(name), bytes);
}

void CubeBuilder::CopyTemplateFiles()
{
    for (const QString &name : PlainFiles(AppPaths::templateDirectory()))
        CopyTemplateFile(name);
    QFile::rename(InWorkDirectory(QStringLiteral("vexilo.cls")), InWorkDirectory(kPlayer));
}

void CubeBuilder::PrepareWorkDirectory()
{
    const CurrentDirectoryKeeper keeper;
    if (!QDir::setCurrent(gTempDirectory)) {
        if (!QDir().mkdir(gTempDirectory))
            return;
        QDir::setCurrent(gTempDirectory);
    }
    CopyTemplateFiles();
    QStringList targets;
    for (const QString &name : PlainFiles(gTempDirectory))
        targets << InWorkDirectory(name);
    gZipTargets = targets.join(QLatin1Char('|'));
}

bool CubeBuilder::BuildCubeFiles(const CubeControls &controls, const QString &caption, ProgressSink &progress)
{
    progress.showStep(1);
    progress.setStatus(LoadResString(Msg::Building));
    progress.repaintNow();

    if (QDir::setCurrent(gTempDirectory)) {
        CopyTemplateFile(kPage);
    } else {
        if (!QDir().mkdir(gTempDirectory)) {
            ShowMessage(Msg::UnableToCreateTempDirectory);
            return false;
        }
        QDir::setCurrent(gTempDirectory);
        progress.setStatus(LoadResString(Msg::CopyingHtmlFiles));
        CopyTemplateFiles();
    }
    progress.showStep(2);
    progress.repaintNow();

    m_withoutPicture.clear();
    if (FoldOutIsCurrent())
        WriteKeptFoldOut(progress);
    else
        MakeFacesAndFoldOut(controls, progress);

    QDir work(gTempDirectory);
    for (const QString &name : work.entryList({QStringLiteral("pimage*.jpg")}, QDir::Files))
        work.remove(name);
    progress.showStep(9);
    progress.repaintNow();

    WritePages(caption);
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

CubeBuilder::PrintPicture CubeBuilder::Boxed(const Pixlet &pixlet)
{
    const QImage picture = pixlet.BoxedPicture();
    return {Pixlet::Jpeg(picture), picture};
}

// The face's picture fitted into a box of the given edge; empty when its
// photo cannot be read.
CubeBuilder::PrintPicture CubeBuilder::FacePicture(const CubeControls &controls, int faceIndex, qint16 box)
{
    Pixlet &pixlet = controls.Pixlet1;
    if (gFaceSource[faceIndex] == ClipboardSource) {
        controls.LEAD1[faceIndex].Copy(2);
        pixlet.setFromClipboard(true);
    } else {
        pixlet.setSourceFile(gFaceSource[faceIndex]);
    }
    SetBox(pixlet, box);
    return Boxed(pixlet);
}

void CubeBuilder::MakeWebImage(Pixlet &pixlet, const QString &printImage, const QString &file)
{
    pixlet.setSourceFile(printImage);
    pixlet.setDestinationFile(file);
    SetBox(pixlet, WebBox);
    pixlet.Generate();
}

// The photo file as it is now; no source for a pasted face or a photo that
// has gone.
CubeBuilder::PrintMemo CubeBuilder::StampOf(const QString &source)
{
    const QFileInfo photo(source);
    if (source == ClipboardSource || !photo.isFile())
        return {};
    return {source, photo.size(), photo.lastModified(), {}};
}

bool CubeBuilder::PrintMemoIsCurrent(int faceIndex) const
{
    const PrintMemo &memo = m_print[faceIndex];
    const PrintMemo now = StampOf(gFaceSource[faceIndex]);
    return !now.source.isEmpty() && memo.source == now.source && memo.size == now.size && memo.modified == now.modified;
}

// The print pictures of the faces whose photo files have changed are made
// side by side on the machine's cores, each by a thumbnail generator of its
// own; pasted faces are made in turn, as the clipboard belongs to this thread.
void CubeBuilder::StartPrintPictures(const CubeControls &controls)
{
    for (int i = 0; i < FaceCount; ++i) {
        const QString &source = gFaceSource[i];
        if (source.isEmpty() || source == ClipboardSource || PrintMemoIsCurrent(i)
            || (m_printMade[i].valid() && m_printStarted[i].source == source))
            continue;
        m_printStarted[i] = StampOf(source);
        Pixlet pixlet = controls.Pixlet1;
        pixlet.setSourceFile(source);
        SetBox(pixlet, PrintQualityBox);
        auto task = std::make_shared<std::packaged_task<PrintPicture()>>([pixlet] { return Boxed(pixlet); });
        m_printMade[i] = task->get_future();
        m_decoders.start([task] { (*task)(); });
    }
}

// The print-quality picture of a face, written to file; made again only when
// the photo file has changed since the last build (or the face is pasted).
QImage CubeBuilder::MakePrintImage(const CubeControls &controls, int faceIndex, const QString &file)
{
    PrintMemo &memo = m_print[faceIndex];
    PrintPicture made;
    if (m_printMade[faceIndex].valid()) {
        made = m_printMade[faceIndex].get();
        memo = m_printStarted[faceIndex];
    } else if (PrintMemoIsCurrent(faceIndex)) {
        made.jpeg = memo.jpeg;
    } else {
        memo = StampOf(gFaceSource[faceIndex]);
        made = FacePicture(controls, faceIndex, PrintQualityBox);
    }
    memo.jpeg = made.jpeg;
    if (made.jpeg.isEmpty() || !WriteWhole(file, made.jpeg)) {
        memo = PrintMemo();
        return {};
    }
    return made.picture.isNull() ? QImage::fromData(made.jpeg, "JPEG") : made.picture;
}

// The faces' files, and the fold-out and its PDF drawn afresh from the
// blank fold-out, kept for the next build when every face has a picture.
void CubeBuilder::MakeFacesAndFoldOut(const CubeControls &controls, ProgressSink &progress)
{
    const QString foldOut = InWorkDirectory(kFoldOut);
    CopyTemplateFile(kFoldOut);
    controls.PrintImage.Load(foldOut, 0, 1, -1);
    StartPrintPictures(controls);
    QImage printFaces[FaceCount];
    for (int i = 0; i < FaceCount; ++i) {
        bool makeWebImage = false;
        if (gFaceChanged[i]) {
            progress.setStatus(LoadResString(Msg::CreatingImageFiles));
            if (!gFaceSource[i].isEmpty()) {
                gFaceChanged[i] = False;
                makeWebImage = true;
            } else {
                CopyTemplateFile(FaceFileName(QStringLiteral("image"), i));
            }
        }
        if (!gFaceSource[i].isEmpty()) {
            // One decode of the photo makes the print picture; the web image
            // and the fold-out's picture are made from it. A face whose photo
            // has gone makes neither and leaves its cell blank.
            const QString print = InWorkDirectory(FaceFileName(QStringLiteral("pimage"), i));
            printFaces[i] = MakePrintImage(controls, i, print);
            if (printFaces[i].isNull())
                m_withoutPicture << i;
            if (makeWebImage)
                MakeWebImage(controls.Pixlet1, print, InWorkDirectory(FaceFileName(QStringLiteral("image"), i)));
            DrawOnFoldOut(controls, i, printFaces[i], print);
        }
        progress.showStep(i + 3);
        progress.repaintNow();
    }
    const bool saved = controls.PrintImage.Save(foldOut, 10, 24, 2, 0) == LeadImage::LeadSuccess;
    const bool printable = FoldOutPdf::Write(InWorkDirectory(kFoldOutPdf), printFaces);
    m_kept = KeptFoldOut();
    if (saved && printable && m_withoutPicture.isEmpty()) {
        for (int i = 0; i < FaceCount; ++i)
            m_kept.sources[i] = gFaceSource[i];
        m_kept.jpeg = ReadWhole(foldOut);
        m_kept.pdf = ReadWhole(InWorkDirectory(kFoldOutPdf));
    }
}

// True when no face has changed since the kept fold-out was made: the same
// photo files on the same faces, none of them changed since, none pasted.
bool CubeBuilder::FoldOutIsCurrent() const
{
    if (m_kept.jpeg.isEmpty() || m_kept.pdf.isEmpty())
        return false;
    for (int i = 0; i < FaceCount; ++i)
        if (gFaceChanged[i] || m_kept.sources[i] != gFaceSource[i]
            || (!gFaceSource[i].isEmpty() && !PrintMemoIsCurrent(i)))
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
// the folded cube, drawn into its cell. The picture goes through file, as
// the imaging controls take it.
void CubeBuilder::DrawOnFoldOut(const CubeControls &controls, int faceIndex, const QImage &picture, const QString &file)
{
    if (picture.isNull())
        return;
    const int cell = FoldOutCellOf(faceIndex);
    const QImage fitted = picture.scaled(FoldOutCell, FoldOutCell, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .transformed(QTransform().rotate(FoldOutTurn[cell]));
    if (!fitted.save(file, "JPEG", 95))
        return;
    controls.PrintSource.Load(file, 0, 1, -1);
    controls.PrintImage.Combine(FoldOutLeft[cell], FoldOutTop[cell], FoldOutCell, FoldOutCell,
                                controls.PrintSource.Bitmap(), 0, 0, 800);
}

namespace {
QStringList FaceTexts()
{
    QStringList texts;
    for (int i = 0; i < FaceCount; ++i)
        texts << (gFaceSource[i].isEmpty() || gFaceSource[i] == ClipboardSource ? QString()
                                                                                : QFileInfo(gFaceSource[i]).fileName());
    return texts;
}
} // namespace

// The page from the template, with the caption, and the single-file cube
// from the page. Any error leaves the page (and the single file) as it was.
void CubeBuilder::WritePages(const QString &caption)
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
    const QByteArray page = CubePage::Make(templateText, caption, FaceTexts(), scripts);
    if (WriteWhole(InWorkDirectory(kPage), page))
        WriteWhole(InWorkDirectory(QString::fromLatin1(SingleFileCube::FileName)),
                   SingleFileCube::Make(page, gTempDirectory));
}
