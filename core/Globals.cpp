#include "core/Globals.h"

QString gAppTitle;
QString gTempDirectory;
QString gSaveDir;
