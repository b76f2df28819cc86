#include "publish/MovingPictureJob.h"


#include <QMetaObject>

MovingPictureJob::MovingPictureJob(QObject *parent)
    : QObject(parent)
{
}

MovingPictureJob::~MovingPictureJob()
{
    Cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void MovingPictureJob::Start(const CubeContent &content, const MovingPicture::Options &options, const QString &path)
{
    if (m_thread.joinable())
        m_thread.join();
    m_cancel = false;
    m_done = false;
    m_thread = std::thread([this, content, options, path] {
        const CubeRenderer cube = CubeRenderer::Of(content, options.faceEdge());
        const MovingPicture::Result result = MovingPicture::Write(cube, options, path, [this](int done, int total) {
            QMetaObject::invokeMethod(this, [this, done, total] { emit progress(done, total); }, Qt::QueuedConnection);
            return !m_cancel;
        });
        m_done = true;
        QMetaObject::invokeMethod(this, [this, result] { emit finished(result); }, Qt::QueuedConnection);
    });
}
