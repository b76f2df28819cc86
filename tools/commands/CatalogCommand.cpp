#include "tools/Command.h"

#include "photosource/CatalogMaker.h"
#include "photosource/FolderCatalog.h"

#include <QFileInfo>

namespace {

void ReportSkipped(const QStringList &photos)
{
    for (const QString &photo : photos)
        PrintErr(QStringLiteral("vexilo-cube catalog: skipped %1: not a readable photo").arg(photo));
}

// catalog --folder DIR: the photo folder's catalog in the cache, made or
// brought up to date.
int RunFolderCatalog(const QString &folder)
{
    if (!QFileInfo(folder).isDir()) {
        PrintErr(QStringLiteral("vexilo-cube catalog: %1 is not a folder").arg(folder));
        return 1;
    }
    FolderCatalog catalog(folder);
    const std::optional<QStringList> unreadable = catalog.MakeOrRefresh();
    if (!unreadable) {
        PrintErr(QStringLiteral("vexilo-cube catalog: cannot write %1").arg(catalog.catalogFile()));
        return 1;
    }
    ReportSkipped(*unreadable);
    PrintOut(catalog.name());
    return 0;
}

// catalog --disc ROOT --catalogs DIR
int RunCatalog(const QStringList &args)
{
    if (args.size() == 2 && args.at(0) == QLatin1String("--folder"))
        return RunFolderCatalog(args.at(1));
    if (args.size() != 4 || args.at(0) != QLatin1String("--disc") || args.at(2) != QLatin1String("--catalogs"))
        return UsageError(QStringLiteral("catalog"));
    const CatalogMaker::Result result = CatalogMaker::Make(args.at(1), args.at(3));
    ReportSkipped(result.skipped);
    if (result.name.isEmpty()) {
        PrintErr(QStringLiteral("vexilo-cube catalog: %1").arg(result.error));
        return 1;
    }
    PrintOut(result.name);
    return 0;
}

const Command::Registrar catalog({QStringLiteral("catalog"), QStringLiteral("--disc ROOT --catalogs DIR | --folder DIR"), RunCatalog});
} // namespace
