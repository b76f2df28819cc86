#pragma once

#include <QString>

// The entry points of a self-registering library, run as regsvr32 runs them:
// DllRegisterServer and DllUnregisterServer for the machine's classes, and
// DllInstall with the command line "user" for the current user's own.
class SelfRegistration
{
public:
    enum class Action {
        Register,
        Unregister,
        RegisterForUser
    };

    // Loads the library and runs the action's entry point. True when it
    // returned 0; otherwise error (when given) says why, naming the library.
    static bool Run(const QString &libraryPath, Action action, QString *error = nullptr);

    static QString EntryPoint(Action action);
};
