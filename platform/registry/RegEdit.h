#pragma once

#include "platform/registry/Registry.h"

#include <QString>

// The program's two settings operations. Reading yields the empty text for
// anything that cannot be read; writing fails silently.
QString GetRegistryString(HKEY hive, const QString &key, const QString &valueName);
void SetRegistryString(HKEY hive, const QString &key, const QString &valueName, const QString &value);
// The same write, telling whether it happened (Registry::lastError() says why
// not), for callers that report failures, such as the command line.
bool WriteRegistryString(HKEY hive, const QString &key, const QString &valueName, const QString &value);
