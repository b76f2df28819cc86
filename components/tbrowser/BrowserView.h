#pragma once

#include "components/tbrowser/TBrowser.h"

#include <QColor>
#include <QListView>
#include <QSize>

class ThumbnailModel;

// How the thumbnails are laid out and drawn; the program sets all of it.
struct BrowserStyle
{
    QSize thumbnail{80, 80};
    int hSpacing = 12;
    int vSpacing = 16;
    int margin = 10;
    int captionHeight = 13;
    int padding = 5;
    QColor background{189, 189, 181};
    QColor text{Qt::black};
    int selectionStyle = TB_SELECTION_FRAME;
    QColor selection{0, 0, 128};
    int selectionWidth = 3;

    QSize cellSize() const;
};

// The thumbnail window: an icon-mode list of the catalog's photos that
// reports what the user does to the notification procedure.
class BrowserView : public QListView
{
    Q_OBJECT
public:
    BrowserView(int32_t handle, ThumbnailModel *model, QWidget *parent);

    ThumbnailModel *thumbnails() const { return m_model; }
    BrowserStyle &browserStyle() { return m_style; }
    void applyStyle();

    void setNotifyProc(TbNotifyProc proc) { m_notify = proc; }
    void setFeature(int feature, bool on);
    void setPalette(int32_t palette) { m_palette = palette; }

    int selectedItem() const;
    void selectItem(int item, bool select);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void notify(int code);
    // Code 13 when the input changed the selection, else 5.
    void notifyAfterInput(int selectedBefore);

    int32_t m_handle;
    ThumbnailModel *m_model;
    BrowserStyle m_style;
    TbNotifyProc m_notify = nullptr;
    int m_features = 0;
    int32_t m_palette = 0;
};
