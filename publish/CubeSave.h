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
    // directory could not be made (messages 82 and 23). A relative typed
    // path is taken from the current directory and returned in full.
    static QString ChooseSaveDirectory(const QString &typed, const QString &listed);

    // Creates dir (one level) when it does not exist. False when it can be
    // neither entered nor created.
    static bool ExistsOrCreate(const QString &dir);

    // What stopped a copy: the file that could not be written (or the
    // folder that could not be used) and the system's reason. Empty when
    // every file arrived.
    struct Failure
    {
        QString path;
        QString reason;
        bool failed() const { return !path.isEmpty(); }
    };

    // Copies every plain file of from into to under its own name, replacing
    // files of the same name. The files are first written into a staging
    // folder inside to and then renamed over the old ones, so that a failed
    // or killed copy leaves the old files whole; a staging folder left by a
    // killed copy is removed first.
    static Failure CopyPlainFiles(const QString &from, const QString &to);

    // The staging folder's name inside the target folder.
    static const char StagingFolder[];
};
