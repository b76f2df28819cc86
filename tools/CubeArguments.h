#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QPair>
#include <QString>

class CubeFromFaces;
class ProgressSink;
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

    // Builds the cube placed on; false when the build failed, naming the
    // photo on standard error when a face's photo could not be decoded.
    bool Build(CubeFromFaces &cube, ProgressSink &progress, bool package) const;

private:

    QList<QPair<int, QString>> m_faces;
    QString m_caption;
};
