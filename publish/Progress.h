#pragma once

#include "publish/ProgressSink.h"

#include <QWidget>

class QLabel;
class StepBars;

// The "Cube Progress" window: a status line over eleven stacked bar
// pictures, driven step by step by Preview, Save and Send.
class Progress : public QWidget, public ProgressSink
{
    Q_OBJECT
public:
    // The loaded window, created with all pictures hidden when there is none.
    static Progress *instance();
    static bool isLoaded();
    // Closes the window and discards its state.
    static void unload();
    // What a command does before its build: step 0 visible, the window shown,
    // "Initializing..." set and painted.
    static Progress *showInitializing();

    void showStep(int step) override;
    void setStatus(const QString &text) override;
    void repaintNow() override;
    void hideSteps();
    void showCentred();

    QString statusText() const;
    // The highest step picture shown, -1 when none is.
    int visibleStep() const;

private:
    Progress();
    void Form_Load();

    QLabel *Status = nullptr;
    StepBars *Bars = nullptr;
};
