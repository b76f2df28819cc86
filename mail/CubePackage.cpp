#include "mail/CubePackage.h"

bool BuildCubeExe(const QString &)
{
    return true;
}
