#pragma once

#include <QString>

// Where the program's own files live (the executable, its libraries and
// Template/), and the PATH the process had before start-up replaced it.
class AppPaths
{
public:
    static QString programDirectory();
    static void setProgramDirectory(const QString &dir);
    static QString templateDirectory();

    // PATH as it was when the process started; children get this one.
    static QString savedPath();
    static void rememberPath();

    // Joins a directory and a name with the separator the directory uses:
    // a backslash for drive-letter paths, else a slash.
    static QString join(const QString &dir, const QString &name);
    static bool isDrivePath(const QString &path);
};
