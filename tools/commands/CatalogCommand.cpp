#include "tools/Command.h"

#include "photosource/CatalogMaker.h"

namespace {

const QString kDisc = QStringLiteral("disc");
const QString kCatalogs = QStringLiteral("catalogs");

int RunCatalog(const QCommandLineParser &parser)
{
    if (parser.value(kDisc).isEmpty() || parser.value(kCatalogs).isEmpty())
        return UsageError(QStringLiteral("catalog"), QStringLiteral("--disc ROOT and --catalogs DIR are required"));
    const CatalogMaker::Result result = CatalogMaker::Make(parser.value(kDisc), parser.value(kCatalogs));
    for (const QString &photo : result.skipped)
        PrintErr(QStringLiteral("vexilo-cube catalog: skipped %1: not a readable photo").arg(photo));
    if (result.name.isEmpty()) {
        PrintErr(QStringLiteral("vexilo-cube catalog: %1").arg(result.error));
        return ExitFailed;
    }
    PrintOut(result.name);
    return ExitDone;
}

const Command::Registrar catalog(
    {QStringLiteral("catalog"),
     QStringLiteral("make the catalog of a Picture CD (a folder with an info.cd) and print its name"),
     QStringLiteral("--disc ROOT --catalogs DIR"),
     {{kDisc, QStringLiteral("the disc's root folder, which holds its info.cd"), QStringLiteral("ROOT")},
      {kCatalogs, QStringLiteral("the catalogs folder to make the catalog in"), QStringLiteral("DIR")}},
     {},
     RunCatalog});
} // namespace
