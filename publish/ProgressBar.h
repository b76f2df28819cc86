#pragma once

#include <QWidget>

// One picture of the stacked progress bar: a sunken bar 285 x 13 pixels
// showing step tenths filled with blue blocks.
class ProgressBar : public QWidget
{
public:
    ProgressBar(int step, QWidget *parent);
    int step() const { return m_step; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int m_step;
};
