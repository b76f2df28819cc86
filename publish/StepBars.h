#pragma once

#include <QWidget>

class ProgressBar;

// The stacked progress bar: eleven pictures, steps 0 to 10, at one place.
// A step made visible lies above the lower visible ones, so the highest
// visible step is the one seen.
class StepBars : public QWidget
{
public:
    explicit StepBars(QWidget *parent);

    // Steps outside 0 to 10 are ignored.
    void showStep(int step);
    void hideStep(int step);
    void hideSteps();
    // The highest step picture shown, -1 when none is.
    int visibleStep() const;
    ProgressBar *bar(int step) const { return m_bar[step]; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    ProgressBar *m_bar[11] = {};
};
