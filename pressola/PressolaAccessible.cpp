#include "pressola/PressolaAccessible.h"

#include "pressola/PressolaCtrl.h"

namespace {

QAccessibleInterface *PressolaAccessibleFactory(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<CPressolaCtrl *>(object))
        return new CPressolaAccessible(button);
    return nullptr;
}

} // namespace

CPressolaAccessible::CPressolaAccessible(CPressolaCtrl *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

void CPressolaAccessible::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(PressolaAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

CPressolaCtrl *CPressolaAccessible::button() const
{
    return static_cast<CPressolaCtrl *>(widget());
}

QString CPressolaAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        if (!button()->accessibleName().isEmpty())
            return button()->accessibleName();
        return button()->GetCaption().isEmpty() ? button()->toolTip() : button()->GetCaption();
    case QAccessible::Description:
        return button()->toolTip();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State CPressolaAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button()->ButtonState() == CPressolaCtrl::StateDown;
    s.hotTracked = button()->ButtonState() == CPressolaCtrl::StateOver;
    return s;
}

QStringList CPressolaAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (button()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void CPressolaAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction()) {
        if (button()->isEnabled())
            emit button()->Click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
