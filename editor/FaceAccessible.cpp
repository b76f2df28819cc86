#include "editor/FaceAccessible.h"

#include "core/CubeModel.h"
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

QString FaceContent(const CubeFace &face)
{
    if (face.isEmpty())
        return QStringLiteral("empty");
    if (face.isPasted())
        return QStringLiteral("pasted picture");
    return QFileInfo(face.photo()).fileName();
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

QString FaceAccessible::FaceName(int index, const CubeFace &face)
{
    return QStringLiteral("Face %1, %2").arg(index + 1).arg(FaceContent(face));
}

QString FaceAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return FaceName(face()->index(), face()->cube() ? face()->cube()->Face(face()->index()) : CubeFace());
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
    s.selected = face()->cube() && face()->cube()->CurrentFace() == face()->index();
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
