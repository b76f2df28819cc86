#include "core/Globals.h"

QString gAppTitle;
QString gDefaultMailServer;
QString gMailServer;
qint16 gUseDefaultServer = False;
QString gFromAddress;
QString gCatalogDirectory;
QString gCubeDirectory;
