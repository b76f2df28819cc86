#pragma once

#include <QString>
#include <functional>

class QWidget;

// What the photo source needs from the editor window that hosts the browser.
struct BrowserHost
{
    QWidget *editor = nullptr;
    std::function<QString()> catalogName; // the text of CatalogLabel
    std::function<void()> enableInsert;
    // Thumbnail on the current face, then on to the next face; reports a
    // failure itself.
    std::function<void(const QString &path)> putPhotoOnCurrentFace;
    // Set while a photo folder is shown: tells the user that a photo has
    // gone and takes it out of the browser. A disc is asked for instead
    // while it is not set.
    std::function<void(const QString &path)> photoGone;
};
void SetBrowserHost(BrowserHost host);
void SetPhotoGoneHandler(std::function<void(const QString &path)> handler);

// Opens the named catalog below the catalogs directory in a thumbnail window
// filling tray; anything that fails leaves the browser empty.
void OpenCatalogIn(const QString &name, QWidget *tray, quintptr palette);
// The same for a catalog file anywhere (a photo folder's catalog).
void OpenCatalogFileIn(const QString &catalogFile, QWidget *tray, quintptr palette);
// Closes the catalog and its window and shuts the library down.
void CloseBrowser();

// Called by the library for what the user does in the thumbnail window.
int32_t MyNotifyProc(int32_t window, int32_t code, int32_t parameter);

// The selected item of a thumbnail window; negative when none.
int32_t SelectedItem(int32_t window);
QString GetItemURL(int32_t window, int32_t item);
QString GetItemPath(int32_t window, int32_t item);
// Whether the item's file has a name a QString can hold (one in UTF-8): no
// other can be opened for a face. Tells the user when it has not.
bool ItemNameUsable(int32_t window, int32_t item);

// True when the photo file can be read: it is there, or its disc was put in
// when asked for. A photo gone from a photo folder is reported as gone.
bool PhotoReachable(const QString &path);

// Asks for the disc of the open catalog until the file exists or the user
// cancels; True when the file exists.
bool PromptForVevudedED(const QString &path);
