#pragma once

#include "core/CubeModel.h"

#include <QUndoCommand>

// One change to a face, as a step that can be undone: the face takes its
// new content and the current face moves, and undo gives both back.
class FaceEdit : public QUndoCommand
{
public:
    FaceEdit(CubeModel &cube, int index, const CubeFace &face, int currentAfter, const QString &text);

    void redo() override;
    void undo() override;

private:
    CubeModel &m_cube;
    int m_index;
    CubeFace m_before;
    CubeFace m_after;
    int m_currentBefore;
    int m_currentAfter;
};

// The caption typed or changed; typing in a row is one step.
class CaptionEdit : public QUndoCommand
{
public:
    CaptionEdit(CubeModel &cube, const QString &caption, const QString &text);

    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override;
    void redo() override;
    void undo() override;

private:
    CubeModel &m_cube;
    QString m_before;
    QString m_after;
};

// The whole cube taken at once, as when changes are recovered.
class ContentEdit : public QUndoCommand
{
public:
    ContentEdit(CubeModel &cube, const CubeContent &content, const QString &text);

    void redo() override;
    void undo() override;

private:
    CubeModel &m_cube;
    CubeContent m_before;
    CubeContent m_after;
};
