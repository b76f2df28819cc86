#include "core/CubeModel.h"

QString FaceFileName(const QString &stem, int faceIndex)
{
    return stem + QString::number(faceIndex + 1) + QStringLiteral(".jpg");
}

CubeModel::CubeModel(QObject *parent)
    : QObject(parent)
{
}

void CubeModel::SetFace(int index, const CubeFace &face)
{
    m_content.faces.at(index) = face;
    m_changed.at(index) = true;
    emit faceChanged(index);
}

void CubeModel::SetCurrentFace(int index)
{
    if (index < 0 || index >= FaceCount || index == m_currentFace)
        return;
    const int old = m_currentFace;
    m_currentFace = index;
    emit currentFaceChanged(old, index);
}

void CubeModel::SetCaption(const QString &caption)
{
    if (caption == m_content.caption)
        return;
    m_content.caption = caption;
    emit captionChanged(caption);
}

void CubeModel::SetContent(const CubeContent &content)
{
    for (int i = 0; i < FaceCount; ++i)
        if (!(content.faces[i] == m_content.faces[i]))
            SetFace(i, content.faces[i]);
    SetCaption(content.caption);
}

void CubeModel::Clear()
{
    SetContent({});
    m_changed.fill(false);
    SetCurrentFace(0);
}
