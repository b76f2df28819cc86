#pragma once

#include <QString>

// Whether the desktop asks programs to keep motion to a minimum: GNOME's
// "enable-animations" turned off, or KDE's animation speed set to instant.
namespace DesktopMotion {
bool Reduced();
// The same read from a KDE settings file and GNOME's value as gsettings
// prints it ("true" or "false"; empty where it gives none).
bool ReducedBy(const QString &kdeGlobals, const QString &gnomeAnimations);
} // namespace DesktopMotion
