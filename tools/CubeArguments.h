#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QPair>
#include <QString>

class CubeFromFaces;
class QCommandLineParser;

// What build and send put on the cube: "--face N=PATH" (N from 1 to 6,
// repeated for each face) and "--caption TEXT".
class CubeArguments
{
public:
    static QList<QCommandLineOption> Options();

    // Takes the options from the parsed arguments; the problem in words
    // when a --face is not N=PATH, else the empty text.
    QString Read(const QCommandLineParser &parser);

    // Puts the faces and the caption on the cube; false (with the photo and
    // the reason on standard error) when the cube has no work directory or
    // a photo cannot be read.
    bool PlaceOn(CubeFromFaces &cube) const;

private:
    QList<QPair<int, QString>> m_faces;
    QString m_caption;
};
