#pragma once

#include <QString>

// What a long command reports while it works: the progress window on screen,
// standard error in the command-line tool.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void showStep(int step) = 0; // 0 to 10
    virtual void setStatus(const QString &text) = 0;
    virtual void repaintNow() = 0;

    void showStatus(const QString &text)
    {
        setStatus(text);
        repaintNow();
    }
};
