#pragma once

#include "core/CubeModel.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// A cube kept as a document (NAME.vexilo): versioned JSON holding the
// caption and the six faces. A photo is kept by its absolute path and by
// its path relative to the document, so that a document moved together
// with its photos still finds them; a pasted picture is embedded as PNG.
namespace CubeFile {

// The version this program writes; it reads this and every earlier one.
constexpr int Version = 1;
inline const QString Suffix = QStringLiteral("vexilo");

enum class Status {
    Read, // the cube, with any photo that has gone left empty
    Unreadable, // the file could not be opened or read whole
    Damaged, // not a cube document, or one damaged beyond use
    TooNew // made by a later version of the program
};

struct Reading
{
    Status status = Status::Damaged;
    CubeContent content;
    // The photos named by the document that are neither at their path nor
    // beside the document as its relative path says, by face index; their
    // faces are empty.
    QMap<int, QString> gonePhotos;
    // The system's reason when the file could not be read.
    QString reason;
};

// The document's bytes for the cube, with photo paths relative to
// documentPath's folder.
QByteArray Write(const CubeContent &content, const QString &documentPath);
// The cube the bytes hold; documentPath's folder is where relative photo
// paths start.
Reading Read(const QByteArray &bytes, const QString &documentPath);

Reading Load(const QString &documentPath);
// Writes the document whole or not at all: an existing file is replaced
// only once the new one is complete on disk. On failure, reason holds the
// system's reason and the file on disk is as it was.
bool Save(const CubeContent &content, const QString &documentPath, QString *reason = nullptr);

} // namespace CubeFile
