#include "tools/Command.h"
#include "tools/CubeArguments.h"
#include "tools/StderrProgress.h"

#include "publish/CubeFromFaces.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

namespace {

const QString kOut = QStringLiteral("out");
const QString kPackage = QStringLiteral("package");

// One line for each reason files could not be copied, naming the first of
// them, rather than the same reason over and over.
void ReportCopyFailures(const QList<CubeSave::CopyFailure> &failures, const QString &dir)
{
    QMap<QString, QStringList> namesByReason;
    for (const CubeSave::CopyFailure &failure : failures)
        namesByReason[failure.reason] << failure.name;
    for (auto it = namesByReason.cbegin(); it != namesByReason.cend(); ++it) {
        QString line = QStringLiteral("vexilo-cube build: %1 could not be copied into %2: %3")
                           .arg(it->first(), QDir::toNativeSeparators(dir), it.key());
        if (it->size() > 1)
            line += QStringLiteral(" (nor could %1 more files)").arg(it->size() - 1);
        PrintErr(line);
    }
}

int RunBuild(const QCommandLineParser &parser)
{
    CubeArguments arguments;
    if (const QString problem = arguments.Read(parser); !problem.isEmpty())
        return UsageError(QStringLiteral("build"), problem);
    if (parser.value(kOut).isEmpty())
        return UsageError(QStringLiteral("build"), QStringLiteral("--out DIR is required"));
    // The build changes the current directory.
    const QString out = QFileInfo(parser.value(kOut)).absoluteFilePath();
    CubeFromFaces cube;
    if (!arguments.PlaceOn(cube))
        return ExitFailed;
    StderrProgress progress;
    if (!cube.Build(progress, parser.isSet(kPackage)))
        return ExitFailed;
    const QList<CubeSave::CopyFailure> failed = cube.CopyTo(out);
    if (!failed.isEmpty()) {
        ReportCopyFailures(failed, out);
        return ExitFailed;
    }
    progress.Finish();
    return ExitDone;
}

Command BuildCommand()
{
    QList<QCommandLineOption> options = CubeArguments::Options();
    options << QCommandLineOption(kOut, QStringLiteral("the folder to write the cube's files into (made when missing)"),
                                  QStringLiteral("DIR"))
            << QCommandLineOption(kPackage, QStringLiteral("also pack the files into the self-extracting Cube.exe"));
    return {QStringLiteral("build"),
            QStringLiteral("build a cube's web page from photos into a folder"),
            QStringLiteral("--out DIR [--face N=PATH]... [--caption TEXT] [--package]"),
            options,
            {},
            RunBuild};
}

const Command::Registrar build(BuildCommand());
} // namespace
