#include "core/FaceModel.h"

#include "core/Globals.h"

QString gFaceSource[FaceSlots];
qint16 gFaceChanged[FaceSlots] = {};
qint16 gCurrentFace = 0;

QString FaceFileName(const QString &stem, int faceIndex)
{
    return stem + QString::number(faceIndex + 1) + QStringLiteral(".jpg");
}

void ResetFaceModel()
{
    for (int i = 0; i < FaceCount; ++i) {
        gFaceChanged[i] = False;
        gFaceSource[i].clear();
    }
    gCurrentFace = 0;
}
