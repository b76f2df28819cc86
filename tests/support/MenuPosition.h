#pragma once

#include <QMenu>
#include <QScreen>
#include <QWidget>

#include <algorithm>

// Where a face's context menu opens: at its context button's right edge,
// level with its top, moved left as far as the screen needs to show the
// whole menu.
inline QPoint FaceMenuPosition(const QWidget &contextButton, const QMenu &menu)
{
    const QPoint asked = contextButton.mapToGlobal(QPoint(contextButton.width(), 0));
    const int screenRight = contextButton.screen()->geometry().right();
    return {std::min(asked.x(), screenRight - menu.width() + 1), asked.y()};
}
