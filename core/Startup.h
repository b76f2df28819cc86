#pragma once

#include <QString>

// The settings part of start-up: the settings kept for the run, PATH and the
// directories. The frame runs these in order; tests and the command-line
// tool call them without a screen.
class Startup
{
public:
    static QString GetMediaBrowserDirectory();
    static void DoSetPath();
    static void SetCatalogDirectory();
    static void SetMailServer();
    static void SetFromAddress();

    // Steps 7 to 9: the base directory, the work directory and the default
    // save directory, which is created.
    static void SetDirectories();

    // Everything from the application title to the mail settings.
    static void Run();
};
