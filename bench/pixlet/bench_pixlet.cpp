// The thumbnail generator on a 24-megapixel JPEG made here: in-process time
// per output size, then whole-process time and peak memory per size, beside
// vipsthumbnail making the same 250-pixel thumbnail.
#include "bench/support/BenchSupport.h"
#include "components/pixlet/Pixlet.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstring>
#include <vector>

namespace {

char *selfPath = nullptr;

QString SourcePhoto()
{
    return MakePhoto(WorkFile(QStringLiteral("photo24mp.jpg")), 0);
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
    RunProcesses(
        state, {{selfPath, "thumb", SourcePhoto().toStdString(), OutputPath(box).toStdString(), std::to_string(box)}});
}

void BM_VipsthumbnailProcess(benchmark::State &state)
{
    const int box = int(state.range(0));
    const std::string size = std::to_string(box) + "x" + std::to_string(box);
    RunProcesses(state, {{"vipsthumbnail", SourcePhoto().toStdString(), "-s", size, "-o",
                          WorkFile(QStringLiteral("vips%1.jpg[Q=90]").arg(box)).toStdString()}});
}

BENCHMARK(BM_PixletInProcess)
    ->Arg(77)
    ->Arg(208)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
// Whole processes: three runs an iteration, five iterations.
void ProcessRuns(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_PixletProcess)->Arg(77)->Arg(208)->Arg(250)->Apply(ProcessRuns);
BENCHMARK(BM_VipsthumbnailProcess)->Arg(250)->Apply(ProcessRuns);

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
