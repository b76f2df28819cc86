#pragma once

#include "core/CubeModel.h"
#include "publish/MovingPicture.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

// Writes a cube's moving picture on a thread of its own, telling its
// progress on the caller's thread; it can be cancelled at any frame.
class MovingPictureJob : public QObject
{
    Q_OBJECT
public:
    explicit MovingPictureJob(QObject *parent = nullptr);
    // Cancels the work still running and waits for it to stop.
    ~MovingPictureJob() override;

    // The faces are read from the content as it is now.
    void Start(const CubeContent &content, const MovingPicture::Options &options, const QString &path);
    void Cancel() { m_cancel = true; }
    bool running() const { return m_thread.joinable() && !m_done; }

signals:
    void progress(int done, int total);
    void finished(const MovingPicture::Result &result);

private:
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{false};
};
