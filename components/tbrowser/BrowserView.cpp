#include "components/tbrowser/BrowserView.h"

#include "components/tbrowser/ThumbnailModel.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Draws one cell: the thumbnail centred in its box, the caption below it
// and, for the selected item, the frame in the selection colour.
class ThumbnailDelegate : public QStyledItemDelegate
{
public:
    explicit ThumbnailDelegate(const BrowserStyle &style, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_style(style)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return m_style.cellSize() + QSize(m_style.hSpacing, m_style.vSpacing);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const BrowserStyle &s = m_style;
        const QRect cell(option.rect.topLeft() + QPoint(s.hSpacing / 2, s.vSpacing / 2), s.cellSize());
        const QRect box(cell.left(), cell.top(), s.thumbnail.width() + 2 * s.padding,
                        s.thumbnail.height() + 2 * s.padding);
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        if (selected && s.selectionStyle != TB_SELECTION_FRAME)
            painter->fillRect(box, s.selection);

        const QPixmap pixmap = index.data(Qt::DecorationRole).value<QPixmap>();
        const QRect inner = box.adjusted(s.padding, s.padding, -s.padding, -s.padding);
        if (pixmap.isNull()) {
            painter->setPen(s.text);
            painter->drawRect(inner.adjusted(0, 0, -1, -1));
        } else {
            QRect target(QPoint(), pixmap.deviceIndependentSize().toSize());
            target.moveCenter(inner.center());
            painter->drawPixmap(target, pixmap);
        }

        if (selected && s.selectionStyle == TB_SELECTION_FRAME && s.selectionWidth > 0) {
            const qreal half = s.selectionWidth / 2.0;
            QPen pen(s.selection, s.selectionWidth);
            pen.setJoinStyle(Qt::MiterJoin);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(QRectF(box).adjusted(half, half, -half, -half));
        }

        if (s.captionHeight > 0) {
            QFont font = option.font;
            font.setPixelSize(qMax(6, s.captionHeight - 2));
            painter->setFont(font);
            painter->setPen(s.text);
            const QRect caption(cell.left(), box.bottom() + 1, cell.width(), s.captionHeight);
            const QString text =
                QFontMetrics(font).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, caption.width());
            painter->drawText(caption, Qt::AlignHCenter | Qt::AlignVCenter, text);
        }
        painter->restore();
    }

private:
    const BrowserStyle &m_style;
};

} // namespace

QSize BrowserStyle::cellSize() const
{
    return {thumbnail.width() + 2 * padding, thumbnail.height() + 2 * padding + qMax(0, captionHeight)};
}

BrowserView::BrowserView(int32_t handle, ThumbnailModel *model, QWidget *parent)
    : QListView(parent)
    , m_handle(handle)
    , m_model(model)
{
    model->setParent(this);
    setModel(model);
    setItemDelegate(new ThumbnailDelegate(m_style, this));
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setUniformItemSizes(true);
    setSpacing(0);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DragOnly);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    applyStyle();
}

void BrowserView::applyStyle()
{
    QPalette pal = palette();
    for (auto role : {QPalette::Base, QPalette::Window})
        pal.setColor(role, m_style.background);
    pal.setColor(QPalette::Text, m_style.text);
    QListView::setPalette(pal);
    viewport()->setPalette(pal);
    setViewportMargins(m_style.margin, m_style.margin, 0, m_style.margin);
    verticalScrollBar()->setSingleStep(m_style.cellSize().height() / 4 + 1);
    m_model->setThumbnailSize(m_style.thumbnail, devicePixelRatioF());
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void BrowserView::setFeature(int feature, bool on)
{
    m_features = on ? (m_features | feature) : (m_features & ~feature);
    m_model->setToolTips(m_features & TB_FEATURE_TOOLTIPS);
    m_model->setDraggable(m_features & TB_FEATURE_DRAG);
    setDragEnabled(m_features & TB_FEATURE_DRAG);
}

int BrowserView::selectedItem() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void BrowserView::selectItem(int item, bool select)
{
    const QModelIndex index = m_model->index(item, 0);
    if (!index.isValid())
        return;
    if (select) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        scrollTo(index);
    } else {
        selectionModel()->select(index, QItemSelectionModel::Deselect);
    }
}

void BrowserView::notify(int code)
{
    if (m_notify)
        m_notify(m_handle, code, 0);
}

void BrowserView::notifyAfterInput(int selectedBefore)
{
    notify(selectedItem() != selectedBefore && selectedItem() >= 0 ? TB_NOTIFY_SELECTION : TB_NOTIFY_EVENT);
}

void BrowserView::mousePressEvent(QMouseEvent *event)
{
    const int before = selectedItem();
    QListView::mousePressEvent(event);
    notifyAfterInput(before);
}

void BrowserView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    const bool onItem = indexAt(event->position().toPoint()).isValid();
    notify(onItem && (m_features & TB_FEATURE_DOUBLECLICK) ? TB_NOTIFY_DOUBLECLICK : TB_NOTIFY_EVENT);
}

void BrowserView::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && selectedItem() >= 0 && (m_features & TB_FEATURE_DOUBLECLICK)) {
        notify(TB_NOTIFY_DOUBLECLICK);
        return;
    }
    const int before = selectedItem();
    QListView::keyPressEvent(event);
    notifyAfterInput(before);
}
