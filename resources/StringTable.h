#pragma once

#include <QString>

// The program's string table: every text of the user interface under its
// numeric id, 1 to 111. An unknown id yields the empty text.
QString LoadResString(int id);
