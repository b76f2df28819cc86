#include "tools/Command.h"

#include "photosource/CatalogMaker.h"
#include "photosource/FolderCatalog.h"

#include <QFileInfo>

namespace {

const QString kDisc = QStringLiteral("disc");
const QString kCatalogs = QStringLiteral("catalogs");
const QString kFolder = QStringLiteral("folder");

void ReportSkipped(const QStringList &photos)
{
    for (const QString &photo : photos)
        PrintErr(QStringLiteral("vexilo-cube catalog: skipped %1: not a readable photo").arg(photo));
}

// The photo folder's catalog in the cache, made or brought up to date.
int RunFolderCatalog(const QString &folder)
{
    if (!QFileInfo(folder).isDir()) {
        PrintErr(QStringLiteral("vexilo-cube catalog: %1 is not a folder").arg(folder));
        return ExitFailed;
    }
    FolderCatalog catalog(folder);
    const std::optional<QStringList> unreadable = catalog.MakeOrRefresh();
    if (!unreadable) {
        PrintErr(QStringLiteral("vexilo-cube catalog: cannot write %1").arg(catalog.catalogFile()));
        return ExitFailed;
    }
    if (!catalog.folderOpened()) {
        PrintErr(QStringLiteral("vexilo-cube catalog: cannot open %1").arg(folder));
        return ExitFailed;
    }
    for (const QString &subfolder : catalog.skippedFolders())
        PrintErr(QStringLiteral("vexilo-cube catalog: skipped %1: cannot open the folder").arg(subfolder));
    ReportSkipped(*unreadable);
    PrintOut(catalog.name());
    return ExitDone;
}

int RunDiscCatalog(const QString &disc, const QString &catalogs)
{
    const CatalogMaker::Result result = CatalogMaker::Make(disc, catalogs);
    ReportSkipped(result.skipped);
    if (result.name.isEmpty()) {
        PrintErr(QStringLiteral("vexilo-cube catalog: %1").arg(result.error));
        return ExitFailed;
    }
    PrintOut(result.name);
    return ExitDone;
}

int RunCatalog(const QCommandLineParser &parser)
{
    if (!parser.value(kFolder).isEmpty() && parser.value(kDisc).isEmpty() && parser.value(kCatalogs).isEmpty())
        return RunFolderCatalog(parser.value(kFolder));
    if (parser.value(kFolder).isEmpty() && !parser.value(kDisc).isEmpty() && !parser.value(kCatalogs).isEmpty())
        return RunDiscCatalog(parser.value(kDisc), parser.value(kCatalogs));
    return UsageError(QStringLiteral("catalog"),
                      QStringLiteral("either --disc ROOT and --catalogs DIR, or --folder DIR, is required"));
}

const Command::Registrar catalog(
    {QStringLiteral("catalog"),
     QStringLiteral("make the catalog of a Picture CD (a folder with an info.cd) or of a photo folder, and print its "
                    "name"),
     QStringLiteral("--disc ROOT --catalogs DIR | --folder DIR"),
     {{kDisc, QStringLiteral("the disc's root folder, which holds its info.cd"), QStringLiteral("ROOT")},
      {kCatalogs, QStringLiteral("the catalogs folder to make the catalog in"), QStringLiteral("DIR")},
      {kFolder, QStringLiteral("a photo folder: its catalog is made or refreshed in the cache"),
       QStringLiteral("DIR")}},
     {},
     RunCatalog});
} // namespace
