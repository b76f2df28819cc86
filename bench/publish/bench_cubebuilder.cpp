// The cube builder on six 24-megapixel JPEGs: BuildCubeFiles in process with
// every face changed and with no change, then whole processes under
// /usr/bin/time for peak memory: one build of the six faces, beside
// vipsthumbnail making the same twelve thumbnails (six of 250 and six of 208
// pixels).
#include "bench/support/BenchSupport.h"
#include "core/AppPaths.h"
#include "core/CubeModel.h"
#include "publish/CubeFromFaces.h"
#include "tests/support/SilentProgress.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstring>
#include <vector>

namespace {

char *selfPath = nullptr;

// Six photo-like pictures, 6000 x 4000, a different tint per face.
QStringList SourcePhotos()
{
    static QStringList paths;
    for (int face = paths.size(); face < 6; ++face)
        paths << MakePhoto(WorkFile(QStringLiteral("photo%1.jpg").arg(face + 1)), face);
    return paths;
}

bool PlaceAll(CubeFromFaces &cube, const QStringList &photos)
{
    for (int n = 1; n <= photos.size(); ++n)
        if (!cube.SetFace(n, photos.at(n - 1)))
            return false;
    return true;
}

// The same photos framed as a user frames them: filled and zoomed in,
// moved, turned, fitted on a blurred copy.
void FrameAll(CubeModel &cube)
{
    const FaceFraming framings[6] = {FaceFraming().Filled(),
                                     FaceFraming().Filled(QRect(1000, 500, 2400, 2400)),
                                     FaceFraming().Filled(QRect(3000, 1000, 1200, 1200)).Turned(90),
                                     FaceFraming().Fitted(FaceFraming::Backdrop::Blurred),
                                     FaceFraming().Turned(180),
                                     FaceFraming().Filled(QRect(0, 0, 4000, 4000)).Turned(270)};
    for (int i = 0; i < FaceCount; ++i)
        cube.SetFace(i, cube.Face(i).Framed(framings[i]));
}

// Each iteration places the six photos afresh, framed or not, and builds.
void BuildPlaced(benchmark::State &state, bool framed)
{
    const QStringList photos = SourcePhotos();
    CubeFromFaces cube;
    SilentProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        const bool placed = PlaceAll(cube, photos);
        if (framed)
            FrameAll(cube.cube());
        state.ResumeTiming();
        if (!placed || !cube.Build(progress, false))
            state.SkipWithError("build failed");
    }
}

void BM_BuildCubeFilesAllChanged(benchmark::State &state)
{
    BuildPlaced(state, false);
}

// Against BM_BuildCubeFilesAllChanged of the same run: at most 1.1 times.
void BM_BuildCubeFilesFramed(benchmark::State &state)
{
    BuildPlaced(state, true);
}

void BM_BuildCubeFilesNoChange(benchmark::State &state)
{
    const QStringList photos = SourcePhotos();
    CubeFromFaces cube;
    SilentProgress progress;
    if (!PlaceAll(cube, photos) || !cube.Build(progress, false))
        state.SkipWithError("build failed");
    for (auto _ : state)
        if (!cube.Build(progress, false))
            state.SkipWithError("build failed");
}

void BM_BuildProcess(benchmark::State &state)
{
    std::vector<std::string> command{selfPath, "build"};
    for (const QString &photo : SourcePhotos())
        command.push_back(photo.toStdString());
    RunProcesses(state, {command});
}

void BM_VipsthumbnailProcesses(benchmark::State &state)
{
    std::vector<std::vector<std::string>> commands;
    for (int box : {250, 208}) {
        const std::string size = std::to_string(box) + "x" + std::to_string(box);
        std::vector<std::string> command{"vipsthumbnail", "-s", size, "-o",
                                         WorkFile(QStringLiteral("%s-vips%1.jpg[Q=90]").arg(box)).toStdString()};
        for (const QString &photo : SourcePhotos())
            command.push_back(photo.toStdString());
        commands.push_back(command);
    }
    RunProcesses(state, commands);
}

// One run an iteration, five iterations; in process on the wall clock,
// whole processes as /usr/bin/time measures them.
void InProcess(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
}
void ProcessRuns(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_BuildCubeFilesAllChanged)->Apply(InProcess);
BENCHMARK(BM_BuildCubeFilesFramed)->Apply(InProcess);
BENCHMARK(BM_BuildCubeFilesNoChange)->Apply(InProcess);
BENCHMARK(BM_BuildProcess)->Apply(ProcessRuns);
BENCHMARK(BM_VipsthumbnailProcesses)->Apply(ProcessRuns);

// Child mode: one build of the given photos on faces 1 to 6, then exit.
int BuildOnce(int count, char **photos)
{
    CubeFromFaces cube;
    for (int n = 1; n <= count; ++n)
        if (!cube.SetFace(n, QString::fromLocal8Bit(photos[n - 1])))
            return 1;
    SilentProgress progress;
    return cube.Build(progress, false) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    selfPath = argv[0];
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppPaths::setProgramDirectory(QStringLiteral(VEXILO_APP_DIR));
    if (argc >= 2 && std::strcmp(argv[1], "build") == 0)
        return BuildOnce(argc - 2, argv + 2);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
