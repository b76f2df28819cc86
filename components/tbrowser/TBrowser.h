#pragma once

/*
 * libTBrowser.so: a thumbnail browser for Picture CD catalogs.
 *
 * Handles, indexes, lengths and colours are 32-bit integers; a colour is
 * red + 256 * green + 65536 * blue. Texts are NUL-terminated 8-bit strings
 * (file paths in the file system's own bytes). Every function returns a
 * status, TB_OK (0) or one of the TB_E* codes; results come back through the
 * out arguments. Handles are never 0 on success. All calls are made on the
 * GUI thread of a running QApplication; parent windows are QWidget pointers.
 *
 * Text results use a two-call protocol: call with a null buffer to learn the
 * length needed (including the terminating NUL), then with a buffer of at
 * least that length.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TB_OK 0
#define TB_EINVALIDARG 1
#define TB_ENOTINITIALIZED 2
#define TB_EBADHANDLE 3
#define TB_EBUFFERTOOSMALL 4
#define TB_ECATALOG 5
#define TB_ERANGE 6

/* Notification codes passed to the notification procedure. */
#define TB_NOTIFY_DOUBLECLICK 3
#define TB_NOTIFY_EVENT 5
#define TB_NOTIFY_SELECTION 13

/* Feature bits for TbEnableFeatures. */
#define TB_FEATURE_DOUBLECLICK 4 /* double-click or Enter notifies TB_NOTIFY_DOUBLECLICK */
#define TB_FEATURE_DRAG 32 /* thumbnails can be dragged out as file URLs */
#define TB_FEATURE_TOOLTIPS 64 /* a thumbnail's tooltip names its photo */

/* TbSetColors: which colour. */
#define TB_COLOR_TEXT 1

/* TbSetSelectionStyle: a frame of the given width around the selected thumbnail. */
#define TB_SELECTION_FRAME 4

/* TbRefreshWindow: only read again the thumbnails that were missing when
 * drawn (their files have appeared since), leaving the rest as it is. */
#define TB_REFRESH_THUMBNAILS 1

typedef struct TbRect
{
    int32_t left, top, right, bottom;
} TbRect;

typedef int32_t (*TbNotifyProc)(int32_t window, int32_t code, int32_t parameter);

int32_t TbInitialize(int32_t reserved1, int32_t reserved2, void *appWindow);
int32_t TbQuit(void);

/* file path -> "file://" URL with every byte but A-Z a-z 0-9 - . _ ~ / percent-encoded */
int32_t TbDOSPathToURL(const char *path, char *buffer, int32_t *length);
/* the exact inverse of TbDOSPathToURL */
int32_t TbURLToDOSPath(const char *url, char *buffer, int32_t *length);

int32_t TbOpenCatalog(const char *url, int32_t mode, const char *title, int32_t *catalog);
int32_t TbCloseCatalog(int32_t catalog, int32_t *reserved);

int32_t TbOpenWindow(int32_t catalog, int32_t reserved1, void *parent, const TbRect *rect, int32_t reserved2,
                     int32_t flags, int32_t *window);
int32_t TbCloseWindow(int32_t window);

int32_t TbEnableFeatures(int32_t window, int32_t feature, int32_t enable);
int32_t TbGetItemCount(int32_t window, int32_t *count);
int32_t TbSetItemValidURL(int32_t window, int32_t item, int32_t valid);

/* thumbnail width and height, horizontal and vertical spacing, margin,
 * caption height (0: no captions), padding around the thumbnail */
int32_t TbSetThumbnailSize(int32_t window, int32_t width, int32_t height, int32_t hSpacing, int32_t vSpacing,
                           int32_t margin, int32_t captionHeight, int32_t padding);
int32_t TbSetBackgroundColor(int32_t window, int32_t color);
int32_t TbSetColors(int32_t window, int32_t which, int32_t color);
int32_t TbSetSelectionStyle(int32_t window, int32_t style, int32_t color, int32_t width);
int32_t TbRefreshWindow(int32_t window, int32_t flags);
int32_t TbSetNotifyProc(int32_t window, TbNotifyProc proc);
int32_t TbSelectItem(int32_t window, int32_t item, int32_t select);
int32_t TbSetPalette(int32_t window, int32_t palette);
/* item = -1 when nothing is selected */
int32_t TbGetSelectedItem(int32_t window, int32_t *item, int32_t *reserved);
/* queryLength = 1: only *length is set (the URL's length plus its NUL) */
int32_t TbGetItemURL(int32_t window, int32_t item, char *buffer, int32_t *length, int32_t queryLength);

#ifdef __cplusplus
}
#endif
