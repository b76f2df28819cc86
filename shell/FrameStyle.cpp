#include "shell/FrameStyle.h"

namespace {
bool DrawnByTheStyle(QStyle::StandardPixmap icon)
{
    return (icon >= QStyle::SP_TitleBarMenuButton && icon <= QStyle::SP_TitleBarContextHelpButton)
           || icon == QStyle::SP_ToolBarHorizontalExtensionButton || icon == QStyle::SP_ToolBarVerticalExtensionButton;
}
} // namespace

QIcon FrameStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const
{
    if (DrawnByTheStyle(standardIcon))
        return QIcon(standardPixmap(standardIcon, option, widget));
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
