#include "pressola/PressolaPlugin.h"

#include "pressola/PressolaCtrl.h"
#include "pressola/PressolaPropPage.h"

#include <QIcon>
#include <QPixmap>

PressolaPlugin::PressolaPlugin(QObject *parent)
    : QObject(parent)
{
}

QWidget *PressolaPlugin::CreateInstance(const QString &classId, QWidget *parent)
{
    if (classId.compare(QLatin1String(Pressola::ControlClassId), Qt::CaseInsensitive) == 0)
        return new CPressolaCtrl(parent);
    if (classId.compare(QLatin1String(Pressola::PropPageClassId), Qt::CaseInsensitive) == 0)
        return new CPressolaPropPage(parent);
    return nullptr;
}

bool PressolaPlugin::Load(QWidget *control, const QByteArray &block)
{
    auto *button = qobject_cast<CPressolaCtrl *>(control);
    return button && button->Load(block);
}

QIcon PressolaPlugin::ToolboxIcon()
{
    return QIcon(QPixmap(QStringLiteral(":/pressola/toolbox.bmp")));
}

#if defined(PRESSOLA_DESIGNER)
QString PressolaPlugin::name() const
{
    return QStringLiteral("CPressolaCtrl");
}

QString PressolaPlugin::group() const
{
    return QStringLiteral("Pressola");
}

QString PressolaPlugin::toolTip() const
{
    return QStringLiteral("Bitmap Button Control");
}

QString PressolaPlugin::whatsThis() const
{
    return CPressolaPropPage::Caption() + QStringLiteral(": ") + CPressolaPropPage::Text();
}

QString PressolaPlugin::includeFile() const
{
    return QStringLiteral("pressola/PressolaCtrl.h");
}

QIcon PressolaPlugin::icon() const
{
    return ToolboxIcon();
}

bool PressolaPlugin::isContainer() const
{
    return false;
}

QWidget *PressolaPlugin::createWidget(QWidget *parent)
{
    // Designer is the design-mode container: the Filename bitmap shows.
    return new CPressolaCtrl(parent, false);
}
#endif
