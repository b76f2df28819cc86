#include "editor/FaceAccessible.h"

#include "core/FaceModel.h"
#include "editor/FacePicture.h"

#include <QFileInfo>

namespace {

QAccessibleInterface *FaceAccessibleFactory(const QString &, QObject *object)
{
    auto *face = qobject_cast<FacePicture *>(object);
    if (face && face->IsKeyboardFace())
        return new FaceAccessible(face);
    return nullptr;
}

QString FaceContent(int face)
{
    const QString &source = gFaceSource[face];
    if (source.isEmpty())
        return QStringLiteral("empty");
    if (source == ClipboardSource)
        return QStringLiteral("pasted picture");
    return QFileInfo(source).fileName();
}

} // namespace

FaceAccessible::FaceAccessible(FacePicture *face)
    : QAccessibleWidget(face, QAccessible::Graphic)
{
}

void FaceAccessible::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(FaceAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

FacePicture *FaceAccessible::face() const
{
    return static_cast<FacePicture *>(widget());
}

QString FaceAccessible::FaceName(int face)
{
    return QStringLiteral("Face %1, %2").arg(face + 1).arg(FaceContent(face));
}

QString FaceAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return FaceName(face()->index());
    case QAccessible::Description:
        return face()->toolTip();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State FaceAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.selectable = true;
    s.selected = gCurrentFace == face()->index();
    s.hasPopup = true;
    return s;
}

QStringList FaceAccessible::actionNames() const
{
    return QStringList{pressAction(), showMenuAction()} + QAccessibleWidget::actionNames();
}

void FaceAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction())
        emit face()->keyCommand(face()->index(), FacePicture::KeyCommand::Select);
    else if (actionName == showMenuAction())
        emit face()->keyCommand(face()->index(), FacePicture::KeyCommand::Menu);
    else
        QAccessibleWidget::doAction(actionName);
}
