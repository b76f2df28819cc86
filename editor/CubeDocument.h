#pragma once

#include "core/CubeFile.h"

#include <QObject>
#include <QString>
#include <QTimer>

class CubeModel;
class QUndoStack;

// The cube as a document: the file it was opened from or saved to, whether
// it has changes not saved, and a recovery copy of those changes, kept a
// few seconds behind, that outlives a crash or a kill.
class CubeDocument : public QObject
{
    Q_OBJECT
public:
    CubeDocument(CubeModel &cube, QUndoStack &undo, QObject *parent = nullptr);

    // The document's file; empty for a cube never saved.
    const QString &Path() const { return m_path; }
    // The file's name, or "Untitled".
    QString DisplayName() const;
    bool IsModified() const;

    // An empty cube, with nothing to undo.
    void New();
    // Takes the document's cube; on anything but Status::Read the cube is
    // left as it was.
    CubeFile::Reading Open(const QString &path);
    // False with the system's reason when the file could not be written;
    // the cube then keeps its changes and its earlier file.
    bool SaveAs(const QString &path, QString *reason);

    // The recovery copy of the changes left by a program that did not close:
    // the cube as it was then, under the document it belonged to.
    static QString RecoveryFile();
    static bool HasRecovery();
    // Takes the recovered changes, unsaved, under their document's name.
    CubeFile::Reading Recover();
    // The changes are no longer wanted: the copy goes.
    static void DiscardRecovery();

    // How long changes wait before the recovery copy is written.
    static constexpr int RecoveryDelayMs = 2000;

signals:
    // The name or the unsaved mark changed.
    void titleChanged();

private:
    void SetPath(const QString &path);
    void Take(const CubeContent &content, const QString &path);
    void ScheduleRecovery();
    void WriteRecovery();

    CubeModel &m_cube;
    QUndoStack &m_undo;
    QString m_path;
    QTimer m_recoveryTimer;
};
