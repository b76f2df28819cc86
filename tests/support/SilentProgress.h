#pragma once

#include "publish/ProgressSink.h"

// A build's progress that goes nowhere, for tests that only look at files.
class SilentProgress : public ProgressSink
{
public:
    void showStep(int) override {}
    void setStatus(const QString &) override {}
    void repaintNow() override {}
};
