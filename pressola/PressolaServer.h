#pragma once

#include "pressola/PressolaExport.h"

#include <QString>

// Self-registration of the Pressola library: its type library, the control
// class with its ProgID, and the property page class, as records under
// HKEY_CLASSES_ROOT of the registry stand-in, or under the current user's
// Software\Classes for a registration that needs no one else's consent.
class PRESSOLA_EXPORT PressolaServer
{
public:
    static constexpr long S_OK = 0;
    static constexpr long SELFREG_E_TYPELIB = 0x80040200;
    static constexpr long SELFREG_E_CLASS = 0x80040201;
    static constexpr long E_INVALIDARG = 0x80070057;

    enum class Scope {
        Machine,
        User
    };

    // Registers the library found at modulePath; the type library comes
    // first, so a failing type library leaves the classes untouched.
    static long RegisterServer(const QString &modulePath, Scope scope = Scope::Machine);
    static long UnregisterServer(Scope scope = Scope::Machine);

    // The path of this library, as the loader found it.
    static QString ModulePath();
};

// The entry points that registration tools resolve by name. DllInstall
// with the command line "user" registers (or, with install false,
// unregisters) for the current user only, as "regsvr32 /n /i:user" does.
extern "C" {
PRESSOLA_EXPORT long DllRegisterServer();
PRESSOLA_EXPORT long DllUnregisterServer();
PRESSOLA_EXPORT long DllInstall(int install, const char16_t *commandLine);
}
