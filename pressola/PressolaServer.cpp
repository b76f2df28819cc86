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

// Writes the default values of a run of keys; stops at the first failure.
bool WriteDefaults(const QList<std::pair<QString, QString>> &keys)
{
    for (const auto &[key, value] : keys)
        if (!Registry::writeString(HKEY_CLASSES_ROOT, key, QString(), value))
            return false;
    return true;
}

QString ClassKey(const char *classId)
{
    return QStringLiteral("CLSID\\") + Str(classId);
}

QString TypeLibKey()
{
    return QStringLiteral("TypeLib\\") + Str(Pressola::TypeLibId);
}

} // namespace

QString PressolaServer::ModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&DllRegisterServer), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

long PressolaServer::RegisterServer(const QString &modulePath)
{
    if (!RegisterTypeLib(modulePath))
        return SELFREG_E_TYPELIB;
    if (!RegisterControlClass(modulePath) || !RegisterPropPageClass(modulePath))
        return SELFREG_E_CLASS;
    return S_OK;
}

long PressolaServer::UnregisterServer()
{
    if (!UnregisterTypeLib())
        return SELFREG_E_TYPELIB;
    const bool control = UnregisterClass(Str(Pressola::ControlClassId), Str(Pressola::ControlProgId));
    const bool page = UnregisterClass(Str(Pressola::PropPageClassId), QString());
    return control && page ? S_OK : SELFREG_E_CLASS;
}

bool PressolaServer::RegisterTypeLib(const QString &modulePath)
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
    if (!WriteDefaults(keys))
        return false;
    for (const char *iid : {Pressola::DispatchId, Pressola::EventsId})
        if (!Registry::writeString(HKEY_CLASSES_ROOT,
                                   QStringLiteral("Interface\\") + Str(iid) + QStringLiteral("\\TypeLib"),
                                   QStringLiteral("Version"), Str(kVersion)))
            return false;
    return true;
}

bool PressolaServer::UnregisterTypeLib()
{
    const QString lib = TypeLibKey() + QLatin1Char('\\') + Str(kVersion);
    if (!Registry::keyExists(HKEY_CLASSES_ROOT, lib) || !Registry::deleteKeyTree(HKEY_CLASSES_ROOT, lib))
        return false;
    if (Registry::subKeys(HKEY_CLASSES_ROOT, TypeLibKey()).isEmpty()
        && !Registry::deleteKeyTree(HKEY_CLASSES_ROOT, TypeLibKey()))
        return false;
    for (const char *iid : {Pressola::DispatchId, Pressola::EventsId})
        if (!Registry::deleteKeyTree(HKEY_CLASSES_ROOT, QStringLiteral("Interface\\") + Str(iid)))
            return false;
    return true;
}

bool PressolaServer::RegisterControlClass(const QString &modulePath)
{
    if (!QFileInfo(modulePath).isFile())
        return false;
    const QString key = ClassKey(Pressola::ControlClassId);
    const QString progId = Str(Pressola::ControlProgId);
    return WriteDefaults({
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
           && Registry::writeString(HKEY_CLASSES_ROOT, key + QStringLiteral("\\InprocServer32"),
                                    QStringLiteral("ThreadingModel"), QStringLiteral("Apartment"))
           && Registry::createKey(HKEY_CLASSES_ROOT, key + QStringLiteral("\\Control"))
           && Registry::createKey(HKEY_CLASSES_ROOT, key + QStringLiteral("\\Insertable"))
           && Registry::createKey(HKEY_CLASSES_ROOT, progId + QStringLiteral("\\Insertable"));
}

bool PressolaServer::RegisterPropPageClass(const QString &modulePath)
{
    const QString key = ClassKey(Pressola::PropPageClassId);
    return WriteDefaults({{key, Str(kPropPageName)}, {key + QStringLiteral("\\InprocServer32"), modulePath}});
}

bool PressolaServer::UnregisterClass(const QString &classId, const QString &progId)
{
    const QString key = QStringLiteral("CLSID\\") + classId;
    if (!Registry::keyExists(HKEY_CLASSES_ROOT, key) || !Registry::deleteKeyTree(HKEY_CLASSES_ROOT, key))
        return false;
    return progId.isEmpty() || Registry::deleteKeyTree(HKEY_CLASSES_ROOT, progId);
}

long DllRegisterServer()
{
    return PressolaServer::RegisterServer(PressolaServer::ModulePath());
}

long DllUnregisterServer()
{
    return PressolaServer::UnregisterServer();
}
