#pragma once

#include "pressola/PressolaExport.h"

#include <QString>

// Self-registration of the Pressola library: its type library, the control
// class with its ProgID, and the property page class, as records under
// HKEY_CLASSES_ROOT of the registry stand-in.
class PRESSOLA_EXPORT PressolaServer
{
public:
    static constexpr long S_OK = 0;
    static constexpr long SELFREG_E_TYPELIB = 0x80040200;
    static constexpr long SELFREG_E_CLASS = 0x80040201;

    // Registers the library found at modulePath; the type library comes
    // first, so a failing type library leaves the classes untouched.
    static long RegisterServer(const QString &modulePath);
    static long UnregisterServer();

    // The path of this library, as the loader found it.
    static QString ModulePath();

private:
    static bool RegisterTypeLib(const QString &modulePath);
    static bool UnregisterTypeLib();
    static bool RegisterControlClass(const QString &modulePath);
    static bool RegisterPropPageClass(const QString &modulePath);
    static bool UnregisterClass(const QString &classId, const QString &progId);
};

// The entry points that registration tools resolve by name.
extern "C" {
PRESSOLA_EXPORT long DllRegisterServer();
PRESSOLA_EXPORT long DllUnregisterServer();
}
