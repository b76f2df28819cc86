#pragma once

#include <QString>

class FaceCommands;
class CubeModel;
class QWidget;

// Puts the photo selected in the photo browser on the current face and
// moves on to the next face: the Insert button, and a double-click in the
// browser.
class InsertCommand
{
public:
    InsertCommand(CubeModel &cube, FaceCommands &commands, QWidget *busyOver);

    void Insert();

    // The face thumbnail step for the current face; on success the face
    // holds the photo and the next face becomes current, on failure the
    // user is told and nothing changes. True on success.
    bool PutOnCurrentFace(const QString &path);

private:
    // Puts the browser's selected photo on the current face; the message
    // that refuses it, or 0 (a failure to load is reported on the spot).
    int PutSelectedPhoto();

    CubeModel &m_cube;
    FaceCommands &m_commands;
    QWidget *m_busyOver;
};
