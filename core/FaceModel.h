#pragma once

#include <QString>
#include <QtGlobal>

// Faces are indexed 0 to 5; the arrays have seven slots and slot 6 is unused.
constexpr int FaceCount = 6;
constexpr int FaceSlots = 7;

// The empty text, the full path of the face's photo, or "Clipboard" for a
// pasted picture that exists only in the face's imaging control.
extern QString gFaceSource[FaceSlots];
// True while the face's web image must be remade.
extern qint16 gFaceChanged[FaceSlots];
// The face that receives the next inserted photo.
extern qint16 gCurrentFace;

inline const QString ClipboardSource = QStringLiteral("Clipboard");

// Face number N = index + 1 in every file name: thumb1.jpg .. thumb6.jpg.
QString FaceFileName(const QString &stem, int faceIndex);

void ResetFaceModel();
