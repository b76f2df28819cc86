#include "core/Globals.h"

QString gAppTitle;
