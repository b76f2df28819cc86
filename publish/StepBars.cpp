#include "publish/StepBars.h"

#include "publish/ProgressBar.h"

StepBars::StepBars(QWidget *parent)
    : QWidget(parent)
{
    for (int k = 0; k <= 10; ++k) {
        m_bar[k] = new ProgressBar(k, this);
        m_bar[k]->hide();
    }
}

void StepBars::showStep(int step)
{
    if (step < 0 || step > 10)
        return;
    m_bar[step]->show();
    for (ProgressBar *b : m_bar)
        if (!b->isHidden())
            b->raise();
}

void StepBars::hideStep(int step)
{
    if (step >= 0 && step <= 10)
        m_bar[step]->hide();
}

void StepBars::hideSteps()
{
    for (ProgressBar *b : m_bar)
        b->hide();
}

int StepBars::visibleStep() const
{
    for (int k = 10; k >= 0; --k)
        if (!m_bar[k]->isHidden())
            return k;
    return -1;
}

void StepBars::resizeEvent(QResizeEvent *)
{
    for (ProgressBar *b : m_bar)
        b->setGeometry(rect());
}
