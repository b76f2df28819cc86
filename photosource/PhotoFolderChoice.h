#pragma once

#include "core/Settings.h"

#include <QString>
#include <QStringList>

class QMimeData;

// Which photo folder the browser shows when no Picture CD catalog is found,
// and the folders chosen before, kept in the program's registry key: the
// last one chosen ("PhotoFolder"), else the user's Pictures folder, else home.
namespace PhotoFolderChoice {
constexpr int RecentCount = Settings::RecentFolderCount;

QString Folder();
// Makes the folder the one chosen last and the first of the recent ones.
void Remember(const QString &folder);
// The folders chosen last, the latest first; at most RecentCount.
QStringList Recent();
// The first folder among dropped files; empty when none is a folder.
QString DroppedFolder(const QMimeData *data);
} // namespace PhotoFolderChoice
