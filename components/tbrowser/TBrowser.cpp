#include "components/tbrowser/TBrowser.h"

#include "components/tbrowser/BrowserView.h"
#include "components/tbrowser/CatalogFile.h"
#include "components/tbrowser/FileUrl.h"
#include "components/tbrowser/ThumbnailModel.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>

#include <cstring>
#include <map>

namespace {

struct OpenCatalog
{
    QList<CatalogPhoto> photos;
    QString folder;
};

struct Library
{
    bool initialized = false;
    int32_t lastHandle = 0;
    std::map<int32_t, OpenCatalog> catalogs;
    std::map<int32_t, QPointer<BrowserView>> windows;

    int32_t newHandle()
    {
        do {
            lastHandle = lastHandle == INT32_MAX ? 1 : lastHandle + 1;
        } while (catalogs.count(lastHandle) || windows.count(lastHandle));
        return lastHandle;
    }

    BrowserView *window(int32_t handle) const
    {
        const auto it = windows.find(handle);
        return it == windows.end() ? nullptr : it->second.data();
    }
};

Library &library()
{
    static Library lib;
    return lib;
}

QColor colorFrom(int32_t value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// The second half of the two-call protocol: the length needed (with the
// NUL), and the text itself when a buffer is given that holds it.
int32_t returnText(const QByteArray &text, char *buffer, int32_t *length)
{
    if (!length)
        return TB_EINVALIDARG;
    const int32_t needed = int32_t(text.size()) + 1;
    if (!buffer) {
        *length = needed;
        return TB_OK;
    }
    if (*length < needed) {
        *length = needed;
        return TB_EBUFFERTOOSMALL;
    }
    std::memcpy(buffer, text.constData(), size_t(text.size()));
    buffer[text.size()] = '\0';
    *length = needed;
    return TB_OK;
}

// Runs a call on an open window; a bad handle gives TB_EBADHANDLE.
template <typename F> int32_t withWindow(int32_t handle, F &&f)
{
    BrowserView *view = library().window(handle);
    if (!view)
        return TB_EBADHANDLE;
    return f(*view);
}

} // namespace

extern "C" {

int32_t TbInitialize(int32_t, int32_t, void *)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return TB_ENOTINITIALIZED;
    library().initialized = true;
    return TB_OK;
}

int32_t TbQuit(void)
{
    Library &lib = library();
    for (auto &[handle, view] : lib.windows)
        delete view.data();
    lib.windows.clear();
    lib.catalogs.clear();
    lib.initialized = false;
    return TB_OK;
}

int32_t TbDOSPathToURL(const char *path, char *buffer, int32_t *length)
{
    if (!path)
        return TB_EINVALIDARG;
    return returnText(FileUrl::fromPath(QByteArray(path)), buffer, length);
}

int32_t TbURLToDOSPath(const char *url, char *buffer, int32_t *length)
{
    if (!url)
        return TB_EINVALIDARG;
    const std::optional<QByteArray> path = FileUrl::toPath(QByteArray(url));
    if (!path) {
        if (length)
            *length = 0;
        return TB_EINVALIDARG;
    }
    return returnText(*path, buffer, length);
}

int32_t TbOpenCatalog(const char *url, int32_t, const char *, int32_t *catalog)
{
    if (!catalog)
        return TB_EINVALIDARG;
    *catalog = 0;
    if (!library().initialized)
        return TB_ENOTINITIALIZED;
    const std::optional<QByteArray> path = url ? FileUrl::toPath(QByteArray(url)) : std::nullopt;
    if (!path)
        return TB_EINVALIDARG;
    const QString file = QFile::decodeName(*path);
    std::optional<QList<CatalogPhoto>> photos = CatalogFile::read(file);
    if (!photos)
        return TB_ECATALOG;
    *catalog = library().newHandle();
    library().catalogs[*catalog] = {std::move(*photos), QFileInfo(file).absolutePath()};
    return TB_OK;
}

int32_t TbCloseCatalog(int32_t catalog, int32_t *)
{
    return library().catalogs.erase(catalog) ? TB_OK : TB_EBADHANDLE;
}

int32_t TbOpenWindow(int32_t catalog, int32_t, void *parent, const TbRect *rect, int32_t, int32_t, int32_t *window)
{
    if (!window)
        return TB_EINVALIDARG;
    *window = 0;
    Library &lib = library();
    if (!lib.initialized)
        return TB_ENOTINITIALIZED;
    const auto it = lib.catalogs.find(catalog);
    if (it == lib.catalogs.end())
        return TB_EBADHANDLE;
    if (!parent || !rect || rect->right < rect->left || rect->bottom < rect->top)
        return TB_EINVALIDARG;
    const int32_t handle = lib.newHandle();
    auto *model = new ThumbnailModel(it->second.photos, it->second.folder);
    auto *view = new BrowserView(handle, model, static_cast<QWidget *>(parent));
    view->setGeometry(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    view->show();
    lib.windows[handle] = view;
    *window = handle;
    return TB_OK;
}

int32_t TbCloseWindow(int32_t window)
{
    Library &lib = library();
    const auto it = lib.windows.find(window);
    if (it == lib.windows.end())
        return TB_EBADHANDLE;
    // The window may be closed from inside one of its own notifications.
    if (BrowserView *view = it->second.data()) {
        view->hide();
        view->setNotifyProc(nullptr);
        view->deleteLater();
    }
    lib.windows.erase(it);
    return TB_OK;
}

int32_t TbEnableFeatures(int32_t window, int32_t feature, int32_t enable)
{
    return withWindow(window, [&](BrowserView &view) {
        view.setFeature(feature, enable != 0);
        return TB_OK;
    });
}

int32_t TbGetItemCount(int32_t window, int32_t *count)
{
    if (!count)
        return TB_EINVALIDARG;
    *count = 0;
    return withWindow(window, [&](BrowserView &view) {
        *count = view.thumbnails()->rowCount();
        return TB_OK;
    });
}

int32_t TbSetItemValidURL(int32_t window, int32_t item, int32_t valid)
{
    return withWindow(window, [&](BrowserView &view) {
        if (item < 0 || item >= view.thumbnails()->rowCount())
            return TB_ERANGE;
        view.thumbnails()->setValid(item, valid != 0);
        return TB_OK;
    });
}

int32_t TbSetThumbnailSize(int32_t window, int32_t width, int32_t height, int32_t hSpacing, int32_t vSpacing,
                           int32_t margin, int32_t captionHeight, int32_t padding)
{
    constexpr int32_t kMax = 1024;
    for (int32_t v : {width, height})
        if (v < 1 || v > kMax)
            return TB_EINVALIDARG;
    for (int32_t v : {hSpacing, vSpacing, margin, captionHeight, padding})
        if (v < 0 || v > kMax)
            return TB_EINVALIDARG;
    return withWindow(window, [&](BrowserView &view) {
        BrowserStyle &s = view.browserStyle();
        s.thumbnail = QSize(width, height);
        s.hSpacing = hSpacing;
        s.vSpacing = vSpacing;
        s.margin = margin;
        s.captionHeight = captionHeight;
        s.padding = padding;
        view.applyStyle();
        return TB_OK;
    });
}

int32_t TbSetBackgroundColor(int32_t window, int32_t color)
{
    return withWindow(window, [&](BrowserView &view) {
        view.browserStyle().background = colorFrom(color);
        view.applyStyle();
        return TB_OK;
    });
}

int32_t TbSetColors(int32_t window, int32_t which, int32_t color)
{
    return withWindow(window, [&](BrowserView &view) {
        if (which != TB_COLOR_TEXT)
            return TB_EINVALIDARG;
        view.browserStyle().text = colorFrom(color);
        view.applyStyle();
        return TB_OK;
    });
}

int32_t TbSetSelectionStyle(int32_t window, int32_t style, int32_t color, int32_t width)
{
    if (width < 0 || width > 64)
        return TB_EINVALIDARG;
    return withWindow(window, [&](BrowserView &view) {
        BrowserStyle &s = view.browserStyle();
        s.selectionStyle = style;
        s.selection = colorFrom(color);
        s.selectionWidth = width;
        view.viewport()->update();
        return TB_OK;
    });
}

int32_t TbRefreshWindow(int32_t window, int32_t flags)
{
    return withWindow(window, [&](BrowserView &view) {
        if (flags & TB_REFRESH_THUMBNAILS)
            view.thumbnails()->reloadMissing();
        else
            view.applyStyle();
        return TB_OK;
    });
}

int32_t TbSetNotifyProc(int32_t window, TbNotifyProc proc)
{
    return withWindow(window, [&](BrowserView &view) {
        view.setNotifyProc(proc);
        return TB_OK;
    });
}

int32_t TbSelectItem(int32_t window, int32_t item, int32_t select)
{
    return withWindow(window, [&](BrowserView &view) {
        if (item < 0 || item >= view.thumbnails()->rowCount())
            return TB_ERANGE;
        view.selectItem(item, select != 0);
        return TB_OK;
    });
}

int32_t TbSetPalette(int32_t window, int32_t palette)
{
    return withWindow(window, [&](BrowserView &view) {
        view.setPalette(palette);
        return TB_OK;
    });
}

int32_t TbGetSelectedItem(int32_t window, int32_t *item, int32_t *reserved)
{
    if (!item)
        return TB_EINVALIDARG;
    *item = -1;
    if (reserved)
        *reserved = 0;
    return withWindow(window, [&](BrowserView &view) {
        *item = view.selectedItem();
        return TB_OK;
    });
}

int32_t TbGetItemURL(int32_t window, int32_t item, char *buffer, int32_t *length, int32_t queryLength)
{
    if (!length)
        return TB_EINVALIDARG;
    return withWindow(window, [&](BrowserView &view) {
        ThumbnailModel *model = view.thumbnails();
        if (item < 0 || item >= model->rowCount() || !model->isValid(item)) {
            *length = 0;
            return TB_ERANGE;
        }
        return returnText(model->photo(item).url, queryLength ? nullptr : buffer, length);
    });
}

} // extern "C"
