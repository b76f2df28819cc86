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

    // The work directory: the base directory followed by "CubeTemp". The
    // base directory is made when it stands for the Windows directory.
    static QString WorkDirectory();
    // The default save directory, which is created.
    static void SetDirectories();

    // Everything from the application title to the mail settings.
    static void Run();
};
