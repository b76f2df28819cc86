#pragma once

#include "core/CubeFace.h"

#include <QObject>
#include <QString>

#include <array>

// Faces are indexed 0 to 5; face number N = index + 1 in every file name.
constexpr int FaceCount = 6;

// Face number N = index + 1 in every file name: thumb1.jpg .. thumb6.jpg.
QString FaceFileName(const QString &stem, int faceIndex);

// What a cube shows: its six faces and the page's caption. Two cubes are
// equal when they would be built alike.
struct CubeContent
{
    std::array<CubeFace, FaceCount> faces;
    QString caption;

    bool operator==(const CubeContent &other) const = default;
};

// One cube being made: what it shows, which faces' web images must be
// made again, and the face that receives the next inserted photo. The
// editor owns one; so does each cube the command-line tool builds.
class CubeModel : public QObject
{
    Q_OBJECT
public:
    explicit CubeModel(QObject *parent = nullptr);

    const CubeFace &Face(int index) const { return m_content.faces.at(index); }
    // The empty text, the photo's full path, or "Clipboard".
    QString FaceSource(int index) const { return Face(index).Source(); }
    // Puts face on the face at index; its web image must then be made again.
    void SetFace(int index, const CubeFace &face);

    // True while the face's web image must be made again.
    bool FaceChanged(int index) const { return m_changed.at(index); }
    // The face's web image has been made from what the face holds now.
    void MarkFaceBuilt(int index) { m_changed.at(index) = false; }

    // The face (0 to 5) that receives the next photo inserted.
    int CurrentFace() const { return m_currentFace; }
    void SetCurrentFace(int index);
    // The face after the current one, from the last back to the first.
    int NextFace() const { return (m_currentFace + 1) % FaceCount; }

    const QString &Caption() const { return m_content.caption; }
    void SetCaption(const QString &caption);

    const CubeContent &Content() const { return m_content; }
    // Takes another cube's faces and caption; every face that differs must
    // have its web image made again.
    void SetContent(const CubeContent &content);

    // Every face empty and not changed, face 0 current, no caption.
    void Clear();

signals:
    void faceChanged(int index);
    void captionChanged(const QString &caption);
    void currentFaceChanged(int oldIndex, int newIndex);

private:
    CubeContent m_content;
    std::array<bool, FaceCount> m_changed{};
    int m_currentFace = 0;
};
