#pragma once

#include "publish/ProgressSink.h"
#include "tools/Command.h"

// Progress of a command-line build on standard error: the status texts and
// the steps.
class StderrProgress : public ProgressSink
{
public:
    void showStep(int step) override { PrintErr(QStringLiteral("[%1/10]").arg(step)); }
    void setStatus(const QString &text) override { PrintErr(text); }
    void repaintNow() override {}

    // The last step, once the command's work is all done.
    void Finish();
};
