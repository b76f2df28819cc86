#pragma once

#include <QList>
#include <QPair>
#include <QString>

class CubeFromFaces;

// The photos that build and send put on the cube's faces: "--face N=PATH",
// N from 1 to 6.
class CubeArguments
{
public:
    // Takes the value of one --face option; false when it is not N=PATH.
    bool AddFace(const QString &value);

    // Puts the faces on the cube; false (with the reason on standard
    // error) when the cube has no work directory or a photo cannot be read.
    bool PlaceFaces(CubeFromFaces &cube) const;

private:
    QList<QPair<int, QString>> m_faces;
};
