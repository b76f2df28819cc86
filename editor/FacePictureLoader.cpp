#include "editor/FacePictureLoader.h"

#include "core/CubeRenderer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

FacePictureLoader::FacePictureLoader(int edge, QObject *parent)
    : QObject(parent)
    , m_edge(edge)
{
}

void FacePictureLoader::Load(int index, const CubeFace &face)
{
    const quint64 ticket = ++m_asked.at(index);
    if (face.isEmpty())
        return Arrived(index, ticket, {});
    // The answer goes through the application, which outlives the loader; the
    // loader is looked for only on the window's thread.
    QThreadPool::globalInstance()->start([loader = QPointer(this), index, ticket, face, edge = m_edge] {
        const QImage picture = CubeRenderer::FacePicture(face, edge);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [loader, index, ticket, picture] {
                if (loader)
                    loader->Arrived(index, ticket, picture);
            },
            Qt::QueuedConnection);
    });
}

void FacePictureLoader::Arrived(int index, quint64 ticket, const QImage &picture)
{
    if (ticket == m_asked.at(index))
        emit ready(index, picture);
}
