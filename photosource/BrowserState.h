#pragma once

#include "components/tbrowser/TBrowser.h"

#include <QString>
#include <QtGlobal>

// The thumbnail browser as the editor opened it.
extern qint16 gBrowserReady; // True once the library is initialised
extern int32_t gCatalog; // the open catalog, 0 when none
extern int32_t gBrowserWindow; // the thumbnail window, 0 when none
extern TbRect gBrowserRect; // the window's place inside SlideTray1, in pixels
extern QString gCatalogFile; // the open catalog's .sac file
