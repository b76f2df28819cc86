#pragma once

#include <QString>
#include <QtGlobal>

// Booleans are kept in 16-bit integers, as the settings and dialogs share them.
constexpr qint16 True = -1;
constexpr qint16 False = 0;

// Application title: the frame's caption and every message box's title.
extern QString gAppTitle;

// The program's version, shown in the About box and the X-Mailer line.
constexpr int AppMajor = VEXILO_VERSION_MAJOR;
constexpr int AppMinor = VEXILO_VERSION_MINOR;
constexpr int AppRevision = VEXILO_VERSION_PATCH;
