#include "pressola/PressolaServer.h"

#include "platform/registry/Registry.h"
#include "pressola/PressolaFactory.h"

#include <QFileInfo>
#include <dlfcn.h>

namespace {

constexpr char kVersion[] = "1.0";
constexpr char kTypeLibHelp[] = "Pressola ActiveX Control module";
constexpr char kControlTypeName[] = "Bitmap Button Control";
constexpr char kPropPageName[] = "Bitmap Button Property Page";
constexpr char kDispatchProxy[] = "{00020420-0000-0000-C000-000000000046}";
// Insertable control, apartment-threaded; the control's miscellaneous status:
// set client site first, activate when visible, inside-out, can't link
// inside, recompose on resize.
constexpr int kMiscStatus = 0x20191;
// The type library describes a control.
constexpr char kTypeLibFlags[] = "2";

QString Str(const char *text)
{
    return QString::fromLatin1(text);
}

// Where the class records go: HKEY_CLASSES_ROOT, or the current user's own
// classes key, which HKEY_CLASSES_ROOT shows in preference to the machine's.
class ClassesRoot
{
public:
    explicit ClassesRoot(PressolaServer::Scope scope)
        : m_root(scope == PressolaServer::Scope::User ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT)
        , m_prefix(scope == PressolaServer::Scope::User ? QStringLiteral("Software\\Classes\\") : QString())
    {
    }

    bool writeString(const QString &key, const QString &name, const QString &text) const
    {
        return Registry::writeString(m_root, m_prefix + key, name, text);
    }
    bool createKey(const QString &key) const { return Registry::createKey(m_root, m_prefix + key); }
    bool keyExists(const QString &key) const { return Registry::keyExists(m_root, m_prefix + key); }
    bool deleteKeyTree(const QString &key) const { return Registry::deleteKeyTree(m_root, m_prefix + key); }
    QStringList subKeys(const QString &key) const { return Registry::subKeys(m_root, m_prefix + key); }

    // Writes the default values of a run of keys; stops at the first failure.
    bool writeDefaults(const QList<std::pair<QString, QString>> &keys) const
    {
        for (const auto &[key, value] : keys)
            if (!writeString(key, QString(), value))
                return false;
        return true;
    }

private:
    HKEY m_root;
    QString m_prefix;
};

QString ClassKey(const char *classId)
{
    return QStringLiteral("CLSID\\") + Str(classId);
}

QString TypeLibKey()
{
    return QStringLiteral("TypeLib\\") + Str(Pressola::TypeLibId);
}

bool RegisterTypeLib(const ClassesRoot &classes, const QString &modulePath)
{
    const QString lib = TypeLibKey() + QLatin1Char('\\') + Str(kVersion);
    QList<std::pair<QString, QString>> keys = {
        {lib, Str(kTypeLibHelp)},
        {lib + QStringLiteral("\\0\\linux"), modulePath},
        {lib + QStringLiteral("\\FLAGS"), Str(kTypeLibFlags)},
        {lib + QStringLiteral("\\HELPDIR"), QFileInfo(modulePath).absolutePath()},
    };
    const std::pair<const char *, const char *> interfaces[] = {{Pressola::DispatchId, "_DPressola"},
                                                                {Pressola::EventsId, "_DPressolaEvents"}};
    for (const auto &[iid, name] : interfaces) {
        const QString key = QStringLiteral("Interface\\") + Str(iid);
        keys.append({{key, Str(name)},
                     {key + QStringLiteral("\\ProxyStubClsid"), Str(kDispatchProxy)},
                     {key + QStringLiteral("\\ProxyStubClsid32"), Str(kDispatchProxy)},
                     {key + QStringLiteral("\\TypeLib"), Str(Pressola::TypeLibId)}});
    }
    if (!classes.writeDefaults(keys))
        return false;
    for (const char *iid : {Pressola::DispatchId, Pressola::EventsId})
        if (!classes.writeString(QStringLiteral("Interface\\") + Str(iid) + QStringLiteral("\\TypeLib"),
                                 QStringLiteral("Version"), Str(kVersion)))
            return false;
    return true;
}

bool UnregisterTypeLib(const ClassesRoot &classes)
{
    const QString lib = TypeLibKey() + QLatin1Char('\\') + Str(kVersion);
    if (!classes.keyExists(lib) || !classes.deleteKeyTree(lib))
        return false;
    if (classes.subKeys(TypeLibKey()).isEmpty() && !classes.deleteKeyTree(TypeLibKey()))
        return false;
    for (const char *iid : {Pressola::DispatchId, Pressola::EventsId})
        if (!classes.deleteKeyTree(QStringLiteral("Interface\\") + Str(iid)))
            return false;
    return true;
}

bool RegisterControlClass(const ClassesRoot &classes, const QString &modulePath)
{
    if (!QFileInfo(modulePath).isFile())
        return false;
    const QString key = ClassKey(Pressola::ControlClassId);
    const QString progId = Str(Pressola::ControlProgId);
    return classes.writeDefaults({
               {key, Str(kControlTypeName)},
               {key + QStringLiteral("\\InprocServer32"), modulePath},
               {key + QStringLiteral("\\ToolboxBitmap32"), modulePath + QStringLiteral(", 1")},
               {key + QStringLiteral("\\MiscStatus"), QStringLiteral("0")},
               {key + QStringLiteral("\\MiscStatus\\1"), QString::number(kMiscStatus)},
               {key + QStringLiteral("\\TypeLib"), Str(Pressola::TypeLibId)},
               {key + QStringLiteral("\\Version"), Str(kVersion)},
               {key + QStringLiteral("\\ProgID"), progId},
               {progId, Str(kControlTypeName)},
               {progId + QStringLiteral("\\CLSID"), Str(Pressola::ControlClassId)},
           })
           && classes.writeString(key + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"),
                                  QStringLiteral("Apartment"))
           && classes.createKey(key + QStringLiteral("\\Control"))
           && classes.createKey(key + QStringLiteral("\\Insertable"))
           && classes.createKey(progId + QStringLiteral("\\Insertable"));
}

bool RegisterPropPageClass(const ClassesRoot &classes, const QString &modulePath)
{
    const QString key = ClassKey(Pressola::PropPageClassId);
    return classes.writeDefaults({{key, Str(kPropPageName)}, {key + QStringLiteral("\\InprocServer32"), modulePath}});
}

bool UnregisterClass(const ClassesRoot &classes, const QString &classId, const QString &progId)
{
    const QString key = QStringLiteral("CLSID\\") + classId;
    if (!classes.keyExists(key) || !classes.deleteKeyTree(key))
        return false;
    return progId.isEmpty() || classes.deleteKeyTree(progId);
}

} // namespace

QString PressolaServer::ModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&DllRegisterServer), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

long PressolaServer::RegisterServer(const QString &modulePath, Scope scope)
{
    const ClassesRoot classes(scope);
    if (!RegisterTypeLib(classes, modulePath))
        return SELFREG_E_TYPELIB;
    if (!RegisterControlClass(classes, modulePath) || !RegisterPropPageClass(classes, modulePath))
        return SELFREG_E_CLASS;
    return S_OK;
}

long PressolaServer::UnregisterServer(Scope scope)
{
    const ClassesRoot classes(scope);
    if (!UnregisterTypeLib(classes))
        return SELFREG_E_TYPELIB;
    const bool control = UnregisterClass(classes, Str(Pressola::ControlClassId), Str(Pressola::ControlProgId));
    const bool page = UnregisterClass(classes, Str(Pressola::PropPageClassId), QString());
    return control && page ? S_OK : SELFREG_E_CLASS;
}

long DllRegisterServer()
{
    return PressolaServer::RegisterServer(PressolaServer::ModulePath());
}

long DllUnregisterServer()
{
    return PressolaServer::UnregisterServer();
}

long DllInstall(int install, const char16_t *commandLine)
{
    if (!commandLine || QString::fromUtf16(commandLine).compare(QLatin1String("user"), Qt::CaseInsensitive) != 0)
        return PressolaServer::E_INVALIDARG;
    if (!install)
        return PressolaServer::UnregisterServer(PressolaServer::Scope::User);
    return PressolaServer::RegisterServer(PressolaServer::ModulePath(), PressolaServer::Scope::User);
}
