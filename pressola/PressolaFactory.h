#pragma once

#include <QByteArray>
#include <QString>
#include <QtPlugin>

class QWidget;

// The identity of the Pressola library's classes, as they are registered.
namespace Pressola {
inline constexpr char TypeLibId[] = "{E5E30727-AEAA-11D2-AD96-00A0C9E36867}";
inline constexpr char DispatchId[] = "{E5E30728-AEAA-11D2-AD96-00A0C9E36867}";
inline constexpr char EventsId[] = "{E5E30729-AEAA-11D2-AD96-00A0C9E36867}";
inline constexpr char ControlClassId[] = "{E5E3072A-AEAA-11D2-AD96-00A0C9E36867}";
inline constexpr char PropPageClassId[] = "{E5E3072B-AEAA-11D2-AD96-00A0C9E36867}";
inline constexpr char ControlProgId[] = "PRESSOLA.PressolaCtrl.1";
inline constexpr char PropPageProgId[] = "PRESSOLA.PressolaPropPage.1";
} // namespace Pressola

// What the library's plugin object gives its host: the class factory of the
// control and of its property page, and the loading of a control's saved
// property block. Properties and events are then reached by name through
// Qt's meta-object system (properties BackColor ... TextJustify; signals
// MouseDown, Click, DblClick, MouseUp, MouseMove).
class PressolaFactory
{
public:
    virtual ~PressolaFactory() = default;

    // A new instance of the class with this id (braced, upper-case), with
    // its properties at their defaults; nullptr for a class not served here.
    virtual QWidget *CreateInstance(const QString &classId, QWidget *parent) = 0;

    // Loads a saved property block into a control made by CreateInstance.
    // A block that cannot be read is refused: false, and the control keeps
    // what it had.
    virtual bool Load(QWidget *control, const QByteArray &block) = 0;
};

#define PressolaFactory_iid "com.norvane.Pressola.PressolaFactory/1.0"
Q_DECLARE_INTERFACE(PressolaFactory, PressolaFactory_iid)
