#include "photosource/PhotoBrowser.h"

#include "components/tbrowser/FileUrl.h"
#include "core/BusyPointer.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "photosource/BrowserState.h"
#include "photosource/CatalogSearch.h"
#include "photosource/DiscPrompt.h"
#include "photosource/TBrowserLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace {
// Layout of the thumbnails: size, spacing, margin, caption and padding.
constexpr int32_t kThumbnailLayout[] = {80, 80, 12, 16, 10, 13, 5};
constexpr int32_t kFeatures[] = {TB_FEATURE_DOUBLECLICK, TB_FEATURE_DRAG, TB_FEATURE_TOOLTIPS};

BrowserHost &host()
{
    static BrowserHost h;
    return h;
}

constexpr int32_t Rgb(int red, int green, int blue)
{
    return red + 256 * green + 65536 * blue;
}

// Two-call text result: the length first, then a buffer of that length.
QByteArray CallForText(const std::function<int32_t(char *, int32_t *)> &call, int32_t minimum = 0)
{
    int32_t length = 0;
    call(nullptr, &length);
    length = qMax(length, minimum);
    if (length < 1)
        return {};
    QByteArray buffer(length, '\0');
    call(buffer.data(), &length);
    return buffer;
}

QByteArray PathToURL(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    const QByteArray url = CallForText(
        [&](char *buffer, int32_t *length) { return Tb().TbDOSPathToURL(bytes.constData(), buffer, length); }, 1024);
    return QByteArray(url.constData()); // up to the first NUL
}

void CloseCatalogAndWindow()
{
    if (gCatalog != 0) {
        int32_t reserved = 0;
        Tb().TbCloseCatalog(gCatalog, &reserved);
        gCatalog = 0;
    }
    if (gBrowserWindow != 0) {
        Tb().TbCloseWindow(gBrowserWindow);
        gBrowserWindow = 0;
    }
}

void ConfigureWindow(int32_t window, quintptr palette)
{
    for (int32_t feature : kFeatures)
        Tb().TbEnableFeatures(window, feature, 1);
    int32_t count = 0;
    Tb().TbGetItemCount(window, &count);
    for (int32_t i = 0; i < count; ++i)
        Tb().TbSetItemValidURL(window, i, 1);
    const int32_t *l = kThumbnailLayout;
    Tb().TbSetThumbnailSize(window, l[0], l[1], l[2], l[3], l[4], l[5], l[6]);
    Tb().TbSetBackgroundColor(window, Rgb(189, 189, 181));
    Tb().TbSetColors(window, TB_COLOR_TEXT, Rgb(0, 0, 0));
    Tb().TbSetSelectionStyle(window, TB_SELECTION_FRAME, Rgb(0, 0, 128), 3);
    Tb().TbRefreshWindow(window, 0);
    Tb().TbSetNotifyProc(window, MyNotifyProc);
    Tb().TbSelectItem(window, 1, 1);
    if (palette != 0)
        Tb().TbSetPalette(window, int32_t(palette));
}

int32_t OnSelection(int32_t window)
{
    const int32_t item = SelectedItem(window);
    if (item < 0)
        return False;
    const QString path = GetItemPath(window, item);
    if (!path.isEmpty() && ItemNameUsable(window, item))
        PhotoReachable(path);
    return False;
}

int32_t OnDoubleClick(int32_t window)
{
    const int32_t item = SelectedItem(window);
    if (item < 0)
        return False;
    const QString path = GetItemPath(window, item);
    if (path.isEmpty())
        return False;
    if (!ItemNameUsable(window, item))
        return True;
    // A folder's photo may have gone; a disc's shows up as a failed load.
    if (host().photoGone && !PhotoReachable(path))
        return True;
    BusyPointer busy(host().editor);
    if (host().putPhotoOnCurrentFace)
        host().putPhotoOnCurrentFace(path);
    return True;
}
} // namespace

void SetBrowserHost(BrowserHost h)
{
    host() = std::move(h);
}

void SetPhotoGoneHandler(std::function<void(const QString &path)> handler)
{
    host().photoGone = std::move(handler);
}

void OpenCatalogIn(const QString &name, QWidget *tray, quintptr palette)
{
    OpenCatalogFileIn(CatalogFileFor(Settings::instance().catalogDirectory(), name), tray, palette);
}

void OpenCatalogFileIn(const QString &catalogFile, QWidget *tray, quintptr palette)
{
    BusyPointer busy(host().editor);
    if (gBrowserReady != True)
        return;
    CloseCatalogAndWindow();
    gBrowserRect = {0, 0, tray->width(), tray->height()};
    gCatalogFile = catalogFile;
    if (!QFileInfo(gCatalogFile).isFile())
        return;
    Tb().TbOpenCatalog(PathToURL(gCatalogFile).constData(), 2, "Vexilo", &gCatalog);
    if (gCatalog == 0)
        return;
    Tb().TbOpenWindow(gCatalog, 0, tray, &gBrowserRect, 0, 256, &gBrowserWindow);
    if (gBrowserWindow == 0)
        return;
    ConfigureWindow(gBrowserWindow, palette);
}

void CloseBrowser()
{
    if (!TBrowserLibrary::IsLoaded())
        return;
    CloseCatalogAndWindow();
    if (gBrowserReady == True)
        Tb().TbQuit();
}

int32_t MyNotifyProc(int32_t window, int32_t code, int32_t)
{
    if (host().enableInsert)
        host().enableInsert();
    switch (code) {
    case TB_NOTIFY_SELECTION:
        return OnSelection(window);
    case TB_NOTIFY_EVENT:
        return True;
    case TB_NOTIFY_DOUBLECLICK:
        return OnDoubleClick(window);
    default:
        return False;
    }
}

int32_t SelectedItem(int32_t window)
{
    int32_t item = -1;
    int32_t unused = 0;
    Tb().TbGetSelectedItem(window, &item, &unused);
    return item;
}

QString GetItemURL(int32_t window, int32_t item)
{
    QByteArray url = CallForText(
        [&](char *buffer, int32_t *length) { return Tb().TbGetItemURL(window, item, buffer, length, buffer ? 0 : 1); });
    if (url.endsWith('\0'))
        url.chop(1);
    return QString::fromLatin1(url);
}

QString GetItemPath(int32_t window, int32_t item)
{
    const QByteArray url = GetItemURL(window, item).toLatin1();
    const QByteArray path = CallForText(
        [&](char *buffer, int32_t *length) { return Tb().TbURLToDOSPath(url.constData(), buffer, length); });
    return QFile::decodeName(QByteArray(path.constData())); // up to the first NUL
}

bool ItemNameUsable(int32_t window, int32_t item)
{
    const QByteArray file = FileUrl::toPath(GetItemURL(window, item).toLatin1()).value_or(QByteArray());
    if (QFile::encodeName(QFile::decodeName(file)) == file)
        return true;
    ShowMessage(Msg::PhotoNameUnusable, {QFile::decodeName(file)});
    return false;
}

bool PhotoReachable(const QString &path)
{
    if (PhotoFileExists(path))
        return true;
    if (!host().photoGone)
        return PromptForVevudedED(path);
    host().photoGone(path);
    return false;
}

bool PromptForVevudedED(const QString &path)
{
    const QString catalog = host().catalogName ? host().catalogName() : QString();
    return AskForDisc(path, catalog, host().editor);
}
