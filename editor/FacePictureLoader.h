#pragma once

#include "core/CubeFace.h"

#include <QImage>
#include <QObject>

#include <array>

// Face pictures made away from the window's thread, so that a large photo
// never holds up the window: `ready` brings the picture last asked for each
// face, and one asked for before it that comes later is dropped.
class FacePictureLoader : public QObject
{
    Q_OBJECT
public:
    explicit FacePictureLoader(int edge, QObject *parent = nullptr);

    // Faces are indexed 0 to 5. An empty face is ready at once, as a null
    // picture.
    void Load(int index, const CubeFace &face);
    // Whether some picture asked for, now wanted or not, is still being made.
    bool Loading() const { return m_loading > 0; }

signals:
    void ready(int index, const QImage &picture);

private:
    void Arrived(int index, quint64 ticket, const QImage &picture);

    const int m_edge;
    std::array<quint64, 6> m_asked{};
    int m_loading = 0;
};
