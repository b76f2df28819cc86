#pragma once

#include <QString>

// Packs the work directory's files named in zipTargets into the
// self-extracting "Cube.exe" in that directory. False when the package could
// not be made; the caller then must not go on as if it existed.
bool BuildCubeExe(const QString &workDirectory, const QString &zipTargets);
