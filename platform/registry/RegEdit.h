#pragma once

#include "platform/registry/Registry.h"

#include <QString>

// The program's two settings operations. Reading yields the empty text for
// anything that cannot be read; writing fails silently.
// It reads a value through a 255-byte buffer: a longer value gives the
// empty text.
QString GetRegistryString(HKEY hive, const QString &key, const QString &valueName);
// The value's whole text, at any length: for the settings the program added
// beside those two operations.
QString GetRegistryText(HKEY hive, const QString &key, const QString &valueName);
void SetRegistryString(HKEY hive, const QString &key, const QString &valueName, const QString &value);
// The same write, telling whether it happened (Registry::lastError() says why
// not), for callers that report failures, such as the command line.
bool WriteRegistryString(HKEY hive, const QString &key, const QString &valueName, const QString &value);
