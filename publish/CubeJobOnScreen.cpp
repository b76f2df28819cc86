#include "publish/CubeJob.h"

#include "core/BusyPointer.h"
#include "publish/Progress.h"

namespace {
// The progress window, shown at "Initializing...", and the busy pointer over
// the window; the window is unloaded before the pointer comes back.
class OnScreen : public CubeJob::Screen
{
public:
    explicit OnScreen(QWidget *window)
        : m_busy(window)
        , m_progress(Progress::showInitializing())
    {
    }
    ~OnScreen() override { Progress::unload(); }

    ProgressSink &progress() override { return *m_progress; }
    void endBusyPointer() override { m_busy.restore(); }

private:
    BusyPointer m_busy;
    Progress *m_progress;
};
} // namespace

CubeJob::CubeJob(CubeBuilder &builder, const CubeControls &controls, QWidget *window)
    : m_builder(builder)
    , m_controls(controls)
    , m_screen(std::make_unique<OnScreen>(window))
    , m_progress(&m_screen->progress())
{
}
