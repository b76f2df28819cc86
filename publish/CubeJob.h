#pragma once

#include "publish/CubeBuilder.h"
#include "publish/ProgressSink.h"

#include <QString>

#include <memory>

class CubeModel;
class QWidget;

// One run of the cube's publishing work: the web files and, when asked, the
// package "Cube.exe". While it lives the busy pointer is over the window and
// progress is reported; when it ends the pointer is given back and the
// progress window goes.
class CubeJob
{
public:
    // On screen: the progress window, "Initializing..." from the start, and
    // the busy pointer over window. Made with the windows
    // (CubeJobOnScreen.cpp).
    CubeJob(CubeBuilder &builder, const CubeControls &controls, QWidget *window);
    // Off screen: progress goes to progress (the command line).
    CubeJob(CubeBuilder &builder, const CubeControls &controls, ProgressSink &progress);
    ~CubeJob();
    CubeJob(const CubeJob &) = delete;
    CubeJob &operator=(const CubeJob &) = delete;

    // The web files from the cube's faces and caption; false when the work
    // directory could not be made (the user has been told).
    bool BuildFiles(CubeModel &cube);
    // "Cube.exe" beside the web files; false when it could not be made
    // (the user has been told).
    bool Package();

    ProgressSink &progress() { return *m_progress; }
    // The normal pointer again before the job ends, as before a message.
    void EndBusyPointer();

    // What an on-screen job holds while it runs: the progress window and
    // the busy pointer, both given back when it goes.
    class Screen
    {
    public:
        virtual ~Screen() = default;
        virtual ProgressSink &progress() = 0;
        virtual void endBusyPointer() = 0;
    };

private:
    CubeBuilder &m_builder;
    CubeControls m_controls;
    std::unique_ptr<Screen> m_screen;
    ProgressSink *m_progress;
};
