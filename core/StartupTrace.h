#pragma once

#include <QLoggingCategory>

class QWidget;

// Start-up tracing. With QT_LOGGING_RULES="vexilo.startup.debug=true" each
// step of the start-up prints the milliseconds since the program's static
// initialisation (after the dynamic loader), up to the first paint of the
// editor and the turn of the event loop after it. Off by default.
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

namespace StartupTrace {
void Mark(const char *step);
// Marks the widget's first paint, and the event loop's turn after it.
void MarkFirstPaint(QWidget *widget);
} // namespace StartupTrace
