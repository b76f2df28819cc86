#pragma once

#include <QString>
#include <QStringList>

// Saving a cube into a directory of the user's: choosing the directory and
// copying the work directory's files there.
class CubeSave
{
public:
    // The directory that OK chooses when the text box shows typed and the
    // directory list shows listed; empty when the user refused or the
    // directory could not be made (messages 82 and 23). Makes typed current
    // when it exists. A relative typed path is taken from the current
    // directory and returned in full, so later changes of the current
    // directory do not move the save.
    static QString ChooseSaveDirectory(const QString &typed, const QString &listed);

    // Makes dir current, creating it (one level) when it does not exist.
    // False when it can be neither entered nor created.
    static bool EnterOrCreate(const QString &dir);

    struct CopyFailure
    {
        QString name; // the file's name in the work directory
        QString reason; // the system's, as "No space left on device"
    };

    // Copies every plain file of from into to under its own name, replacing
    // files of the same name only once the new copy is complete. Returns the
    // files that could not be copied.
    static QList<CopyFailure> CopyPlainFiles(const QString &from, const QString &to);
};
