#pragma once

#include <QAccessibleWidget>

class CPressolaCtrl;

// What assistive technology sees of a Pressola button: a push button named
// by its caption (or, without one, its tool tip), described by its tool
// tip, whose press action clicks it as Enter and Space do.
class CPressolaAccessible : public QAccessibleWidget
{
public:
    explicit CPressolaAccessible(CPressolaCtrl *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    // Makes every Pressola button of the process answer with this
    // interface; the control installs it when its first instance is made.
    static void Install();

private:
    CPressolaCtrl *button() const;
};
