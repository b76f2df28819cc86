#include "photosource/BrowserState.h"

#include "core/Globals.h"

qint16 gBrowserReady = False;
int32_t gCatalog = 0;
int32_t gBrowserWindow = 0;
TbRect gBrowserRect = {0, 0, 0, 0};
QString gCatalogFile;
