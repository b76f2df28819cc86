#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

// Ends a QSaveFile so that the target is either the complete new file or
// untouched. The final flush is checked before the commit, which would
// otherwise rename a short file over the old one when the disk is full.
namespace FileCommit {

// Writes all of bytes; false (the writing cancelled) on a failed or short
// write, which on its own leaves no error on the file.
bool Write(QSaveFile &file, const QByteArray &bytes);

// True when the file was replaced; false (the writing cancelled) otherwise.
bool Commit(QSaveFile &file);

// Replaces a file of a scratch folder whole or not at all: the bytes go
// into a new file beside it, renamed over it once complete. Not synced to
// the disk, as nothing needs a scratch file after a crash.
bool ReplaceScratch(const QString &path, const QByteArray &bytes);

// The system's reason for the last failure of Write, Commit or
// ReplaceScratch, as
// "No space left on device".
QString LastReason();

} // namespace FileCommit
