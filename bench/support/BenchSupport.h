#pragma once

#include <QString>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// A file of the run's own temporary folder, removed at the end.
QString WorkFile(const QString &name);

// A photo-like JPEG of 6000 x 4000 pixels: gradients with a little grain,
// tinted by tint (0 for none); made once per path.
QString MakePhoto(const QString &path, int tint);

// Runs each command to its end under /usr/bin/time, one after the other, per
// iteration: the iteration's time is their wall time added up; the counters
// peak_MB (the largest peak resident memory of any of them, which is the
// program's alone as /usr/bin/time starts it from a small process of its
// own) and cpu_ms (user and system time per iteration).
void RunProcesses(benchmark::State &state, const std::vector<std::vector<std::string>> &commands);

// The main of a benchmark that draws: a QGuiApplication on the offscreen
// platform unless another is set, then the benchmarks. The exit code.
int RunWithGuiApplication(int argc, char **argv);

// The main of a benchmark of the thumbnail browser: a QApplication on the
// offscreen platform unless another is set, and libTBrowser.so loaded from
// beside the program and initialised; then the benchmarks. The exit code.
int RunWithBrowserLibrary(int argc, char **argv);
