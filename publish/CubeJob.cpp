#include "publish/CubeJob.h"

#include "publish/CubePackage.h"
#include "publish/Progress.h"

CubeJob::CubeJob(CubeBuilder &builder, const CubeControls &controls, QWidget *window)
    : m_builder(builder)
    , m_controls(controls)
    , m_progress(nullptr)
    , m_ownsProgressWindow(true)
    , m_busy(window)
{
    m_progress = Progress::showInitializing();
}

CubeJob::CubeJob(CubeBuilder &builder, const CubeControls &controls, ProgressSink &progress)
    : m_builder(builder)
    , m_controls(controls)
    , m_progress(&progress)
    , m_ownsProgressWindow(false)
    , m_busy(nullptr)
{
}

CubeJob::~CubeJob()
{
    if (m_ownsProgressWindow)
        Progress::unload();
}

bool CubeJob::BuildFiles(const QString &caption)
{
    return m_builder.BuildCubeFiles(m_controls, caption, *m_progress);
}

bool CubeJob::Package()
{
    return BuildCubeExe(m_builder.gZipTargets);
}
