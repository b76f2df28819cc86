#pragma once

#include <QString>

class QWidget;

// The disc line of the disc prompt, made from a catalog name:
// 1999_10_15-12_30_05-0042 gives "10/15/1999, #0042".
QString DiscLine(const QString &catalogName);

// True when the photo file is there (an unreadable place counts as not).
bool PhotoFileExists(const QString &path);

// Asks for the Picture CD of the catalog until the file at path exists or
// the user cancels; True when the file exists.
bool AskForDisc(const QString &path, const QString &catalogName, QWidget *parent);
