#pragma once

#include "components/tbrowser/TBrowser.h"

#include <QString>

// The 21 functions of the thumbnail browser library, bound by name.
struct TBrowserFunctions
{
    decltype(&::TbInitialize) TbInitialize = nullptr;
    decltype(&::TbQuit) TbQuit = nullptr;
    decltype(&::TbDOSPathToURL) TbDOSPathToURL = nullptr;
    decltype(&::TbOpenCatalog) TbOpenCatalog = nullptr;
    decltype(&::TbCloseCatalog) TbCloseCatalog = nullptr;
    decltype(&::TbOpenWindow) TbOpenWindow = nullptr;
    decltype(&::TbCloseWindow) TbCloseWindow = nullptr;
    decltype(&::TbEnableFeatures) TbEnableFeatures = nullptr;
    decltype(&::TbGetItemCount) TbGetItemCount = nullptr;
    decltype(&::TbSetItemValidURL) TbSetItemValidURL = nullptr;
    decltype(&::TbSetThumbnailSize) TbSetThumbnailSize = nullptr;
    decltype(&::TbSetBackgroundColor) TbSetBackgroundColor = nullptr;
    decltype(&::TbSetColors) TbSetColors = nullptr;
    decltype(&::TbSetSelectionStyle) TbSetSelectionStyle = nullptr;
    decltype(&::TbRefreshWindow) TbRefreshWindow = nullptr;
    decltype(&::TbSetNotifyProc) TbSetNotifyProc = nullptr;
    decltype(&::TbSelectItem) TbSelectItem = nullptr;
    decltype(&::TbSetPalette) TbSetPalette = nullptr;
    decltype(&::TbGetSelectedItem) TbGetSelectedItem = nullptr;
    decltype(&::TbGetItemURL) TbGetItemURL = nullptr;
    decltype(&::TbURLToDOSPath) TbURLToDOSPath = nullptr;
};

// Finds libTBrowser.so in the folders of PATH (as start-up set it), then in
// the program's own folder, and binds its functions. The first copy that
// loads with all 21 functions is kept for the life of the process.
class TBrowserLibrary
{
public:
    static bool Load();
    static bool IsLoaded();
    // The path of the library that was bound; empty before.
    static QString LoadedFrom();
};

// The bound functions; only valid once TBrowserLibrary::Load() succeeded.
const TBrowserFunctions &Tb();
