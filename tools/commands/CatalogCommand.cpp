#include "tools/Command.h"

#include "photosource/CatalogMaker.h"

namespace {

// catalog --disc ROOT --catalogs DIR
int RunCatalog(const QStringList &args)
{
    if (args.size() != 4 || args.at(0) != QLatin1String("--disc") || args.at(2) != QLatin1String("--catalogs"))
        return UsageError(QStringLiteral("catalog"));
    const CatalogMaker::Result result = CatalogMaker::Make(args.at(1), args.at(3));
    for (const QString &photo : result.skipped)
        PrintErr(QStringLiteral("vexilo-cube catalog: skipped %1: not a readable photo").arg(photo));
    if (result.name.isEmpty()) {
        PrintErr(QStringLiteral("vexilo-cube catalog: %1").arg(result.error));
        return 1;
    }
    PrintOut(result.name);
    return 0;
}

const Command::Registrar catalog({QStringLiteral("catalog"), QStringLiteral("--disc ROOT --catalogs DIR"), RunCatalog});
} // namespace
