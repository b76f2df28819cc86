#pragma once

#include <QProxyStyle>

// The program's style: the platform's own, except that the title bar
// buttons and the extension arrows of menu and tool bars come from the
// style's compiled-in pictures. The style's icon files for them are read by
// a reader left to guess their format, which loads every image format plugin
// installed on the way, and the frame's menu bar and the editor's sub-window
// ask for them when they are made.
class FrameStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
