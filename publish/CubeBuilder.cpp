#include "publish/CubeBuilder.h"

#include "components/imaging/LeadImage.h"
#include "components/pixlet/Pixlet.h"
#include "core/AppPaths.h"
#include "core/CurrentDirectoryKeeper.h"
#include "core/FaceModel.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "publish/ProgressSink.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const QString kPage = QStringLiteral("Vexilo.htm");
const QString kFoldOut = QStringLiteral("cubefold.jpg");
const QByteArray kCaptionLine = QByteArrayLiteral("Caption goes here");
constexpr qint16 WebBox = 250;
constexpr qint16 PrintBox = 208;

QString InWorkDirectory(const QString &name)
{
    return AppPaths::join(gTempDirectory, name);
}
} // namespace

QStringList CubeBuilder::PlainFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

// A template file that is missing leaves the work directory's copy as it was.
void CubeBuilder::CopyTemplateFile(const QString &name)
{
    const QString source = AppPaths::join(AppPaths::templateDirectory(), name);
    if (!QFileInfo(source).isFile())
        return;
    const QString target = InWorkDirectory(name);
    QFile::remove(target);
    QFile::copy(source, target);
}

void CubeBuilder::CopyTemplateFiles()
{
    for (const QString &name : PlainFiles(AppPaths::templateDirectory()))
        CopyTemplateFile(name);
    QFile::rename(InWorkDirectory(QStringLiteral("vexilo.cls")), InWorkDirectory(QStringLiteral("imagevexilo.class")));
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
        // Fresh page and blank fold-out; the faces are drawn on the copy.
        CopyTemplateFile(kPage);
        CopyTemplateFile(kFoldOut);
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

    const QString foldOut = InWorkDirectory(kFoldOut);
    controls.PrintImage.Load(foldOut, 0, 1, -1);
    for (int i = 0; i < FaceCount; ++i) {
        if (gFaceChanged[i]) {
            progress.setStatus(LoadResString(Msg::CreatingImageFiles));
            if (!gFaceSource[i].isEmpty()) {
                gFaceChanged[i] = False;
                MakeFaceImage(controls, i, InWorkDirectory(FaceFileName(QStringLiteral("image"), i)), WebBox);
            } else {
                CopyTemplateFile(FaceFileName(QStringLiteral("image"), i));
            }
        }
        if (!gFaceSource[i].isEmpty()) {
            // A face whose photo has gone makes no print picture and leaves its cell blank.
            const QString print = InWorkDirectory(FaceFileName(QStringLiteral("pimage"), i));
            MakePrintImage(controls, i, print);
            controls.PrintSource.Load(print, 0, 1, -1);
            controls.PrintImage.Combine(FoldOutLeft[i], FoldOutTop[i], FoldOutCell, FoldOutCell,
                                        controls.PrintSource.Bitmap(), 0, 0, 800);
        }
        progress.showStep(i + 3);
        progress.repaintNow();
    }
    controls.PrintImage.Save(foldOut, 10, 24, 2, 0);

    QDir work(gTempDirectory);
    for (const QString &name : work.entryList({QStringLiteral("pimage*.jpg")}, QDir::Files))
        work.remove(name);
    progress.showStep(9);
    progress.repaintNow();

    WritePage(caption);
    progress.repaintNow();
    return true;
}

void CubeBuilder::MakeFaceImage(const CubeControls &controls, int faceIndex, const QString &file, qint16 box)
{
    Pixlet &pixlet = controls.Pixlet1;
    if (gFaceSource[faceIndex] == ClipboardSource) {
        controls.LEAD1[faceIndex].Copy(2);
        pixlet.setFromClipboard(true);
    } else {
        pixlet.setSourceFile(gFaceSource[faceIndex]);
    }
    pixlet.setDestinationFile(file);
    pixlet.setBoxHeight(box);
    pixlet.setBoxWidth(box);
    pixlet.setMember9(true);
    pixlet.setMember11(64);
    pixlet.Generate();
}

void CubeBuilder::MakePrintImage(const CubeControls &controls, int faceIndex, const QString &file)
{
    QFile::remove(file);
    PrintMemo &memo = m_print[faceIndex];
    const QString &source = gFaceSource[faceIndex];
    const QFileInfo photo(source);
    const bool fromFile = source != ClipboardSource && photo.isFile();
    if (fromFile && memo.source == source && memo.size == photo.size() && memo.modified == photo.lastModified()) {
        QFile out(file);
        if (out.open(QIODevice::WriteOnly) && out.write(memo.jpeg) == memo.jpeg.size())
            return;
        out.close();
        QFile::remove(file);
    }
    memo = PrintMemo();
    MakeFaceImage(controls, faceIndex, file, PrintBox);
    QFile made(file);
    if (fromFile && made.open(QIODevice::ReadOnly))
        memo = {source, photo.size(), photo.lastModified(), made.readAll()};
}

// The template's lines, each ended by CR LF, with every line that is exactly
// the caption placeholder replaced by the caption as typed. Any error leaves
// the page as it was.
void CubeBuilder::WritePage(const QString &caption)
{
    QFile source(AppPaths::join(AppPaths::templateDirectory(), kPage));
    if (!source.open(QIODevice::ReadOnly))
        return;
    QByteArray captionLine = caption.toUtf8();
    captionLine.replace("\r\n", "\n").replace('\n', "\r\n");
    QByteArray page;
    while (!source.atEnd()) {
        QByteArray line = source.readLine();
        if (line.isEmpty() && source.error() != QFileDevice::NoError)
            return;
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        page += (line == kCaptionLine ? captionLine : line) + "\r\n";
    }
    source.close();

    QSaveFile target(InWorkDirectory(kPage));
    if (!target.open(QIODevice::WriteOnly) || target.write(page) != page.size())
        return;
    target.commit();
}
