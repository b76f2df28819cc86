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

bool CubeJob::BuildFiles(CubeModel &cube)
{
    return m_builder.BuildCubeFiles(cube, m_controls, *m_progress);
}

bool CubeJob::Package()
{
    return BuildCubeExe(m_builder.workDirectory(), m_builder.gZipTargets);
}
