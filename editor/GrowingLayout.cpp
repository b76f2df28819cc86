#include "editor/GrowingLayout.h"

#include <QWidget>

#include <algorithm>

namespace {

struct Span
{
    int start, length;
};

// A control's span along one direction of a form that is extra longer.
Span Placed(int start, int length, int extra, bool nearTie, bool farTie)
{
    if (nearTie && farTie)
        return {start, length + extra};
    if (farTie)
        return {start + extra, length};
    return {start, length};
}

} // namespace

void GrowingLayout::Add(QWidget *widget, int ties)
{
    m_items.append({widget, widget->geometry(), ties});
}

QSize GrowingLayout::Extra(QSize size) const
{
    return {std::max(0, size.width() - m_designed.width()), std::max(0, size.height() - m_designed.height())};
}

void GrowingLayout::Arrange(QSize size) const
{
    const QSize extra = Extra(size);
    for (const Item &item : m_items) {
        const QRect &d = item.designed;
        const Span across = Placed(d.left(), d.width(), extra.width(), item.ties & Left, item.ties & Right);
        const Span down = Placed(d.top(), d.height(), extra.height(), item.ties & Top, item.ties & Bottom);
        item.widget->setGeometry(across.start, down.start, across.length, down.length);
    }
}
