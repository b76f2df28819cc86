#include "publish/CubePackage.h"

#include "components/pakwell/Pakwell.h"
#include "core/AppPaths.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"

#include <QDir>
#include <QLibrary>

namespace {

// The package builder, loaded from the program's folder when first needed
// (again when the program's folder has changed, as in tests).
BuildSelfExtractingFileFunction PackageBuilder()
{
    static QLibrary library;
    static QString loadedFrom;
    static BuildSelfExtractingFileFunction function = nullptr;
    const QString fileName = AppPaths::join(AppPaths::programDirectory(), QStringLiteral("libPakwell.so"));
    if (!function || loadedFrom != fileName) {
        library.setFileName(fileName);
        function = reinterpret_cast<BuildSelfExtractingFileFunction>(library.resolve("BuildSelfExtractingFile"));
        loadedFrom = fileName;
    }
    return function;
}

} // namespace

bool BuildCubeExe(const QString &workDirectory, const QString &zipTargets)
{
    const QString package = AppPaths::join(workDirectory, QStringLiteral("Cube.exe"));
    const BuildSelfExtractingFileFunction build = PackageBuilder();
    if (build && build(package.toLocal8Bit().constData(), zipTargets.toLocal8Bit().constData(), "Vexilo.htm", ""))
        return true;
    ShowMessage(Msg::UnableToCreateFiles);
    return false;
}
