#include "tests/support/PressolaRegistration.h"

#include "tests/support/TestEnvironment.h"

#include <QLibrary>

void RegisterPressolaControl()
{
    QLibrary library(TestEnvironment::appDir() + QStringLiteral("/libPressola.so"));
    using EntryPoint = long (*)();
    if (const auto registerServer = reinterpret_cast<EntryPoint>(library.resolve("DllRegisterServer")))
        registerServer();
}
