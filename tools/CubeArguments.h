#pragma once

#include "tools/FramingArguments.h"

#include <QCommandLineOption>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

class CubeFromFaces;
class ProgressSink;
class QCommandLineParser;

// What build and send put on the cube: the faces and caption of a cube
// document ("--cube FILE"), then "--face N=PATH" (N from 1 to 6, repeated
// for each face) and "--caption TEXT" in place of the document's, and
// the framing options of FramingArguments.
class CubeArguments
{
public:
    static QList<QCommandLineOption> Options();

    // Takes the options from the parsed arguments; the problem in words
    // when a --face is not N=PATH or --cube names no file, else the empty
    // text. The document is read when the faces are placed.
    QString Read(const QCommandLineParser &parser);

    // Puts the faces and the caption on the cube and frames the faces:
    // ExitDone, else the exit code with the file and the reason on standard
    // error (the cube has no work directory, the document cannot be read or
    // names a photo that has gone, a photo cannot be read, a framing does not
    // fit its face).
    int PlaceOn(CubeFromFaces &cube) const;

    // Builds the cube placed on; false when the build failed, naming the
    // photo on standard error when a face's photo could not be decoded.
    bool Build(CubeFromFaces &cube, ProgressSink &progress, bool package) const;

private:
    bool PlaceDocument(CubeFromFaces &cube) const;
    bool PlaceFace(CubeFromFaces &cube, int number, const QString &photo) const;
    bool FaceGiven(int number) const;

    QString m_document;
    QList<QPair<int, QString>> m_faces;
    FramingArguments m_framing;
    std::optional<QString> m_caption;
};
