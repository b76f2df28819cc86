// The thumbnail generator on a 24-megapixel JPEG made here: in-process time
// per output size, then whole-process time and peak memory per size, beside
// vipsthumbnail making the same 250-pixel thumbnail.
#include "components/pixlet/Pixlet.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

char *selfPath = nullptr;

// Where the run keeps its source photo and outputs; removed at the end.
QString WorkFile(const QString &name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

// A photo-like picture: smooth gradients with a little grain, 6000 x 4000.
QString SourcePhoto()
{
    static const QString path = WorkFile(QStringLiteral("photo24mp.jpg"));
    if (!QFile::exists(path)) {
        QImage image(6000, 4000, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int grain = int(seed >> 28) - 8;
                line[x] = qRgb(qBound(0, x * 255 / 6000 + grain, 255), qBound(0, y * 255 / 4000 + grain, 255),
                               qBound(0, 128 + (x ^ y) % 64 + grain, 255));
            }
        }
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        writer.write(image);
    }
    return path;
}

QString OutputPath(int box)
{
    return WorkFile(QStringLiteral("pixlet%1.jpg").arg(box));
}

bool MakeThumbnail(const QString &source, const QString &output, int box)
{
    Pixlet pixlet;
    pixlet.setSourceFile(source);
    pixlet.setBoxWidth(qint16(box));
    pixlet.setBoxHeight(qint16(box));
    pixlet.setDestinationFile(output);
    return pixlet.Generate();
}

// Runs a program to its end under /usr/bin/time, which starts it from a
// small process of its own, so that the peak resident memory is the
// program's alone.
struct ChildFigures
{
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMB = 0;
};

bool RunChild(const std::vector<std::string> &command, ChildFigures &figures)
{
    const std::string report = WorkFile(QStringLiteral("time.txt")).toStdString();
    std::vector<std::string> args = {"/usr/bin/time", "-f", "%e %U %S %M", "-o", report};
    args.insert(args.end(), command.begin(), command.end());
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    QFile file(QString::fromStdString(report));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    if (fields.size() != 4)
        return false;
    figures.seconds = fields[0].toDouble();
    figures.cpuSeconds = fields[1].toDouble() + fields[2].toDouble();
    figures.peakMB = fields[3].toDouble() / 1024.0;
    return true;
}

void RunProcesses(benchmark::State &state, const std::vector<std::string> &command)
{
    double peak = 0, cpu = 0;
    for (auto _ : state) {
        ChildFigures figures;
        if (!RunChild(command, figures)) {
            state.SkipWithError("the child process failed");
            return;
        }
        state.SetIterationTime(figures.seconds);
        peak = std::max(peak, figures.peakMB);
        cpu += figures.cpuSeconds;
    }
    state.counters["peak_MB"] = peak;
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
}

void BM_PixletInProcess(benchmark::State &state)
{
    const QString source = SourcePhoto();
    const int box = int(state.range(0));
    for (auto _ : state)
        if (!MakeThumbnail(source, OutputPath(box), box))
            state.SkipWithError("generation failed");
}

void BM_PixletProcess(benchmark::State &state)
{
    const int box = int(state.range(0));
    RunProcesses(state,
                 {selfPath, "thumb", SourcePhoto().toStdString(), OutputPath(box).toStdString(), std::to_string(box)});
}

void BM_VipsthumbnailProcess(benchmark::State &state)
{
    const int box = int(state.range(0));
    const std::string size = std::to_string(box) + "x" + std::to_string(box);
    RunProcesses(state, {"vipsthumbnail", SourcePhoto().toStdString(), "-s", size, "-o",
                         WorkFile(QStringLiteral("vips%1.jpg[Q=90]").arg(box)).toStdString()});
}

BENCHMARK(BM_PixletInProcess)
    ->Arg(77)
    ->Arg(208)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PixletProcess)
    ->Arg(77)
    ->Arg(208)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_VipsthumbnailProcess)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    selfPath = argv[0];
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "thumb") == 0)
        return MakeThumbnail(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4])) ? 0
                                                                                                                   : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
