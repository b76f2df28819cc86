#include "editor/FacePictureLoader.h"

#include "core/CubeRenderer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

namespace {

// The loaders' own threads. Qt's smooth scaling shares its work out over the
// global pool, which decodes would hold up; the photo browser's workers are
// busy with a whole folder at a time. Owned by the application, so that a
// decode whose loader has gone finishes on its own.
QThreadPool &Decoders()
{
    static QThreadPool *const pool = [] {
        auto *decoders = new QThreadPool(QCoreApplication::instance());
        decoders->setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
        return decoders;
    }();
    return *pool;
}

} // namespace

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
    ++m_loading;
    Decoders().start([loader = QPointer(this), index, ticket, face, edge = m_edge] {
        const QImage picture = CubeRenderer::FacePicture(face, edge);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [loader, index, ticket, picture] {
                if (!loader)
                    return;
                --loader->m_loading;
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
