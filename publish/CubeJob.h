#pragma once

#include "core/BusyPointer.h"
#include "publish/CubeBuilder.h"
#include "publish/ProgressSink.h"

#include <QString>

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
    // the busy pointer over window.
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
    void EndBusyPointer() { m_busy.restore(); }

private:
    CubeBuilder &m_builder;
    CubeControls m_controls;
    ProgressSink *m_progress;
    bool m_ownsProgressWindow;
    BusyPointer m_busy;
};
