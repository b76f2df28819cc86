#include "editor/ControlSite.h"

#include "core/AppPaths.h"
#include "platform/SelfRegistration.h"
#include "platform/registry/RegEdit.h"
#include "pressola/PressolaFactory.h"

#include <QFile>
#include <QFileInfo>
#include <QPluginLoader>
#include <QRect>
#include <QWidget>
#include <QtEndian>

namespace {

// Relays a control's event to a handler; lives as long as the control.
class EventRelay : public QObject
{
    Q_OBJECT
public:
    EventRelay(QObject *control, std::function<void()> handler)
        : QObject(control)
        , m_handler(std::move(handler))
    {
    }

public slots:
    void Fire() { m_handler(); }

private:
    std::function<void()> m_handler;
};

PressolaFactory *ClassFactory(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    QPluginLoader loader(path);
    return qobject_cast<PressolaFactory *>(loader.instance());
}

} // namespace

QString ControlSite::ClassIdFromProgId(const QString &progId)
{
    return GetRegistryString(HKEY_CLASSES_ROOT, progId + QStringLiteral("\\CLSID"), QString());
}

QString ControlSite::ServerPath(const QString &classId)
{
    if (classId.isEmpty())
        return QString();
    return GetRegistryString(HKEY_CLASSES_ROOT,
                             QStringLiteral("CLSID\\") + classId + QStringLiteral("\\InprocServer32"), QString());
}

ControlSite::Server ControlSite::FindServer(const QString &progId)
{
    const QString classId = ClassIdFromProgId(progId);
    const QString path = ServerPath(classId);
    if ((!path.isEmpty() && QFileInfo::exists(path)) || progId != QLatin1String(Pressola::ControlProgId))
        return {classId, path};
    const QString own = AppPaths::join(AppPaths::programDirectory(), QStringLiteral("libPressola.so"));
    SelfRegistration::Run(own, SelfRegistration::Action::RegisterForUser);
    return {QLatin1String(Pressola::ControlClassId), own};
}

QWidget *ControlSite::CreateControl(const QString &progId, QWidget *parent)
{
    const Server server = FindServer(progId);
    PressolaFactory *factory = ClassFactory(server.path);
    return factory ? factory->CreateInstance(server.classId, parent) : nullptr;
}

QByteArray ControlSite::StoredState(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray data = file.readAll();
    if (data.size() < 4)
        return QByteArray();
    const quint32 count = qFromLittleEndian<quint32>(data.constData());
    if (count != quint32(data.size() - 4))
        return QByteArray();
    return data.mid(4);
}

QWidget *ControlSite::CreateStoredControl(const QString &progId, const QString &statePath, const QRect &geometry,
                                          QWidget *parent)
{
    const QByteArray state = StoredState(statePath);
    const Server server = state.isEmpty() ? Server() : FindServer(progId);
    PressolaFactory *factory = ClassFactory(server.path);
    QWidget *control = factory ? factory->CreateInstance(server.classId, parent) : nullptr;
    if (!control)
        return nullptr;
    control->setGeometry(geometry);
    if (!factory->Load(control, state)) {
        delete control;
        return nullptr;
    }
    return control;
}

void ControlSite::OnEvent(QObject *control, const char *signal, std::function<void()> handler)
{
    if (control)
        QObject::connect(control, signal, new EventRelay(control, std::move(handler)), SLOT(Fire()));
}

#include "ControlSite.moc"
