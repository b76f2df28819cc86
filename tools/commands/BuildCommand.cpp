#include "tools/Command.h"
#include "tools/StderrProgress.h"

#include "publish/CubeFromFaces.h"
#include "publish/ProgressSink.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {


// build --face N=PATH ... [--caption TEXT] --out DIR [--package]
int RunBuild(const QStringList &args)
{
    static const QRegularExpression faceArg(QStringLiteral("^([1-6])=(.+)$"));
    CubeFromFaces cube;
    QString out;
    bool package = false;
    QList<QPair<int, QString>> faces;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--face") && hasValue) {
            const QRegularExpressionMatch m = faceArg.match(args.at(++i));
            if (!m.hasMatch())
                return UsageError(QStringLiteral("build"));
            faces.append({m.captured(1).toInt(), m.captured(2)});
        } else if (arg == QLatin1String("--caption") && hasValue) {
            cube.SetCaption(args.at(++i));
        } else if (arg == QLatin1String("--out") && hasValue) {
            out = QFileInfo(args.at(++i)).absoluteFilePath();  // the build changes the current directory
        } else if (arg == QLatin1String("--package")) {
            package = true;
        } else {
            return UsageError(QStringLiteral("build"));
        }
    }
    if (out.isEmpty())
        return UsageError(QStringLiteral("build"));
    if (!cube.isValid()) {
        PrintErr(QStringLiteral("vexilo-cube: no temporary folder for the work directory"));
        return 1;
    }
    for (const auto &[number, photo] : faces) {
        if (!cube.SetFace(number, photo)) {
            PrintErr(QStringLiteral("vexilo-cube: face %1: %2 is not a picture that can be read").arg(number).arg(photo));
            return 1;
        }
    }

    StderrProgress progress;
    if (!cube.Build(progress))
        return 1;
    if (package && !cube.Package()) {
        PrintErr(QStringLiteral("vexilo-cube: the package Cube.exe could not be made"));
        return 1;
    }
    const QStringList failed = cube.CopyTo(out);
    for (const QString &name : failed)
        PrintErr(QStringLiteral("vexilo-cube: %1 could not be copied into %2").arg(name, QDir::toNativeSeparators(out)));
    return failed.isEmpty() ? 0 : 1;
}

const Command::Registrar build({QStringLiteral("build"),
                                QStringLiteral("--face N=PATH ... [--caption TEXT] --out DIR [--package]"),
                                RunBuild});
} // namespace
