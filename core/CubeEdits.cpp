#include "core/CubeEdits.h"

#include "core/CubeModel.h"

FaceEdit::FaceEdit(CubeModel &cube, int index, const CubeFace &face, int currentAfter, const QString &text)
    : QUndoCommand(text)
    , m_cube(cube)
    , m_index(index)
    , m_before(cube.Face(index))
    , m_after(face)
    , m_currentBefore(cube.CurrentFace())
    , m_currentAfter(currentAfter)
{
}

void FaceEdit::redo()
{
    m_cube.SetFace(m_index, m_after);
    m_cube.SetCurrentFace(m_currentAfter);
}

void FaceEdit::undo()
{
    m_cube.SetFace(m_index, m_before);
    m_cube.SetCurrentFace(m_currentBefore);
}

CaptionEdit::CaptionEdit(CubeModel &cube, const QString &caption, const QString &text)
    : QUndoCommand(text)
    , m_cube(cube)
    , m_before(cube.Caption())
    , m_after(caption)
{
}

bool CaptionEdit::mergeWith(const QUndoCommand *other)
{
    m_after = static_cast<const CaptionEdit *>(other)->m_after;
    return true;
}

void CaptionEdit::redo()
{
    m_cube.SetCaption(m_after);
}

void CaptionEdit::undo()
{
    m_cube.SetCaption(m_before);
}

ContentEdit::ContentEdit(CubeModel &cube, const CubeContent &content, const QString &text)
    : QUndoCommand(text)
    , m_cube(cube)
    , m_before(cube.Content())
    , m_after(content)
{
}

void ContentEdit::redo()
{
    m_cube.SetContent(m_after);
}

void ContentEdit::undo()
{
    m_cube.SetContent(m_before);
}
