#pragma once

#include <QPointer>
#include <QWidget>

// The hourglass over a window while a command runs; the normal pointer comes
// back when the command ends, or earlier with restore().
class BusyPointer
{
public:
    explicit BusyPointer(QWidget *window)
        : m_window(window)
    {
        if (m_window)
            m_window->setCursor(Qt::WaitCursor);
    }
    ~BusyPointer() { restore(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    void restore()
    {
        if (m_window)
            m_window->unsetCursor();
        m_window = nullptr;
    }

private:
    QPointer<QWidget> m_window;
};
