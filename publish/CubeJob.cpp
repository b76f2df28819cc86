#include "publish/CubeJob.h"

#include "publish/CubePackage.h"

CubeJob::CubeJob(CubeBuilder &builder, const CubeControls &controls, ProgressSink &progress)
    : m_builder(builder)
    , m_controls(controls)
    , m_progress(&progress)
{
}

CubeJob::~CubeJob() = default;

bool CubeJob::BuildFiles(CubeModel &cube)
{
    return m_builder.BuildCubeFiles(cube, m_controls, *m_progress);
}

bool CubeJob::Package()
{
    return BuildCubeExe(m_builder.workDirectory(), m_builder.gZipTargets);
}

void CubeJob::EndBusyPointer()
{
    if (m_screen)
        m_screen->endBusyPointer();
}
