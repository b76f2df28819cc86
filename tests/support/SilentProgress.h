#pragma once

#include "publish/ProgressSink.h"

// A build's progress that goes nowhere, for tests and benchmarks that only
// look at files. Header only: the benchmarks include it without linking the
// test support library.
class SilentProgress : public ProgressSink
{
public:
    void showStep(int) override {}
    void setStatus(const QString &) override {}
    void repaintNow() override {}
};
