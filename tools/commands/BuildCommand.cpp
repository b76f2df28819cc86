#include "tools/Command.h"
#include "tools/CubeArguments.h"
#include "tools/StderrProgress.h"

#include "publish/CubeFromFaces.h"
#include "publish/ProgressSink.h"

#include <QFileInfo>

namespace {

// build --face N=PATH ... [--caption TEXT] --out DIR [--package]
int RunBuild(const QStringList &args)
{
    CubeFromFaces cube;
    CubeArguments faces;
    QString out;
    bool package = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--face") && hasValue) {
            if (!faces.AddFace(args.at(++i)))
                return UsageError(QStringLiteral("build"));
        } else if (arg == QLatin1String("--caption") && hasValue) {
            cube.SetCaption(args.at(++i));
        } else if (arg == QLatin1String("--out") && hasValue) {
            out = QFileInfo(args.at(++i)).absoluteFilePath(); // the build changes the current directory
        } else if (arg == QLatin1String("--package")) {
            package = true;
        } else {
            return UsageError(QStringLiteral("build"));
        }
    }
    if (out.isEmpty())
        return UsageError(QStringLiteral("build"));
    if (!faces.PlaceFaces(cube))
        return 1;
    StderrProgress progress;
    if (!cube.Build(progress, package))
        return 1;
    const CubeSave::Failure failure = cube.CopyTo(out);
    if (!failure.failed())
        return 0;
    PrintErr(QStringLiteral("vexilo-cube: cannot write %1: %2").arg(failure.path, failure.reason));
    return 1;
}

const Command::Registrar build({QStringLiteral("build"),
                                QStringLiteral("--face N=PATH ... [--caption TEXT] --out DIR [--package]"), RunBuild});
} // namespace
