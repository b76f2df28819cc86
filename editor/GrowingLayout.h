#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

// Places the controls of a form designed at its smallest size in a larger
// one: each keeps its distance from the edges it is tied to, so a control
// tied to both edges of a direction takes the extra room in it, and one
// tied to the far edge only moves with that edge.
class GrowingLayout
{
public:
    enum Tie { Left = 1, Right = 2, Top = 4, Bottom = 8 };

    explicit GrowingLayout(QSize designed)
        : m_designed(designed)
    {
    }

    QSize Designed() const { return m_designed; }
    // Ties the widget where it stands now, at the designed size.
    void Add(QWidget *widget, int ties);
    // The room beyond the designed size; none in a direction that is smaller.
    QSize Extra(QSize size) const;
    void Arrange(QSize size) const;

private:
    struct Item
    {
        QWidget *widget;
        QRect designed;
        int ties;
    };

    QSize m_designed;
    QList<Item> m_items;
};
