#pragma once

#include <QScopedPointer>
#include <QString>

class TopForm;

// Runs start-up and loads and shows the editor into form, with the Picture CD
// at disc in the drive (none when disc is empty). True once it is on screen.
bool LoadEditor(QScopedPointer<TopForm> &form, const QString &disc);
