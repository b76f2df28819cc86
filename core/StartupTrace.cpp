#include "core/StartupTrace.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

Q_LOGGING_CATEGORY(lcStartup, "vexilo.startup", QtInfoMsg)

namespace {
const QElapsedTimer &SinceStart()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
// Started before main() runs.
const QElapsedTimer &gStarted = SinceStart();

class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            StartupTrace::Mark("editor's first paint");
            QTimer::singleShot(0, [] { StartupTrace::Mark("event loop after the first paint"); });
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};
} // namespace

void StartupTrace::Mark(const char *step)
{
    qCDebug(lcStartup, "%7.2f ms  %s", double(gStarted.nsecsElapsed()) / 1e6, step);
}

void StartupTrace::MarkFirstPaint(QWidget *widget)
{
    if (lcStartup().isDebugEnabled())
        widget->installEventFilter(new FirstPaint(widget));
}
