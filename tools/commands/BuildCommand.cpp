#include "tools/Command.h"
#include "tools/CubeArguments.h"
#include "tools/StderrProgress.h"

#include "core/CubeFile.h"
#include "publish/CubeFromFaces.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kOut = QStringLiteral("out");
const QString kPackage = QStringLiteral("package");
const QString kSaveCube = QStringLiteral("save-cube");

// Keeps the cube built as a document; false with the file and the reason on
// standard error.
bool SaveDocument(CubeFromFaces &cube, const QString &path)
{
    QString reason;
    if (CubeFile::Save(cube.cube().Content(), path, &reason))
        return true;
    PrintErr(QStringLiteral("vexilo-cube build: cannot write %1: %2").arg(path, reason));
    return false;
}

int RunBuild(const QCommandLineParser &parser)
{
    CubeArguments arguments;
    if (const QString problem = arguments.Read(parser); !problem.isEmpty())
        return UsageError(QStringLiteral("build"), problem);
    if (parser.value(kOut).isEmpty())
        return UsageError(QStringLiteral("build"), QStringLiteral("--out DIR is required"));
    if (parser.isSet(kSaveCube) && parser.value(kSaveCube).isEmpty())
        return UsageError(QStringLiteral("build"), QStringLiteral("--save-cube wants the FILE to write"));
    // The build changes the current directory.
    const QString out = QFileInfo(parser.value(kOut)).absoluteFilePath();
    CubeFromFaces cube;
    if (const int exit = arguments.PlaceOn(cube); exit != ExitDone)
        return exit;
    StderrProgress progress;
    if (!arguments.Build(cube, progress, parser.isSet(kPackage)))
        return ExitFailed;
    if (const CubeSave::Failure failure = cube.CopyTo(out); failure.failed()) {
        PrintErr(QStringLiteral("vexilo-cube build: cannot write %1: %2").arg(failure.path, failure.reason));
        return ExitFailed;
    }
    if (parser.isSet(kSaveCube) && !SaveDocument(cube, parser.value(kSaveCube)))
        return ExitFailed;
    progress.Finish();
    return ExitDone;
}

Command BuildCommand()
{
    QList<QCommandLineOption> options = CubeArguments::Options();
    options << QCommandLineOption(kOut, QStringLiteral("the folder to write the cube's files into (made when missing)"),
                                  QStringLiteral("DIR"))
            << QCommandLineOption(kPackage, QStringLiteral("also pack the files into the self-extracting Cube.exe"))
            << QCommandLineOption(kSaveCube,
                                  QStringLiteral("also keep the cube's faces and caption as the cube document FILE"),
                                  QStringLiteral("FILE"));
    return {QStringLiteral("build"),
            QStringLiteral("build a cube's web page from photos into a folder"),
            QStringLiteral("--out DIR [--cube FILE] [--face N=PATH]... [--caption TEXT] [--fit N]... [--fill N]... [--crop N=X,Y,SIZE]... [--turn N=DEGREES]... "
                           "[--package] [--save-cube FILE]"),
            options,
            {},
            RunBuild};
}

const Command::Registrar build(BuildCommand());
} // namespace
