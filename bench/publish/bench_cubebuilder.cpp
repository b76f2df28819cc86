// The cube builder on six 24-megapixel JPEGs: BuildCubeFiles in process with
// every face changed and with no change, then whole processes under
// /usr/bin/time for peak memory: one build of the six faces, beside
// vipsthumbnail making the same twelve thumbnails (six of 250 and six of 208
// pixels).
#include "core/AppPaths.h"
#include "publish/CubeFromFaces.h"
#include "publish/ProgressSink.h"

#include <benchmark/benchmark.h>

#include <QApplication>
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

class SilentProgress : public ProgressSink
{
public:
    void showStep(int) override {}
    void setStatus(const QString &) override {}
    void repaintNow() override {}
};

QString WorkFile(const QString &name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

// Six photo-like pictures, 6000 x 4000: gradients with grain, a different
// tint per face.
QStringList SourcePhotos()
{
    static QStringList paths;
    if (!paths.isEmpty())
        return paths;
    for (int face = 0; face < 6; ++face) {
        const QString path = WorkFile(QStringLiteral("photo%1.jpg").arg(face + 1));
        QImage image(6000, 4000, QImage::Format_RGB32);
        quint32 seed = 12345 + face;
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int grain = int(seed >> 28) - 8;
                line[x] =
                    qRgb(qBound(0, x * 255 / 6000 + grain + face * 20, 255), qBound(0, y * 255 / 4000 + grain, 255),
                         qBound(0, 128 + (x ^ y) % 64 + grain - face * 15, 255));
            }
        }
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        writer.write(image);
        paths << path;
    }
    return paths;
}

bool PlaceAll(CubeFromFaces &cube, const QStringList &photos)
{
    for (int n = 1; n <= photos.size(); ++n)
        if (!cube.SetFace(n, photos.at(n - 1)))
            return false;
    return true;
}

void BM_BuildCubeFilesAllChanged(benchmark::State &state)
{
    const QStringList photos = SourcePhotos();
    CubeFromFaces cube;
    SilentProgress progress;
    for (auto _ : state) {
        state.PauseTiming();
        const bool placed = PlaceAll(cube, photos);
        state.ResumeTiming();
        if (!placed || !cube.Build(progress, false))
            state.SkipWithError("build failed");
    }
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

struct ChildFigures
{
    double seconds = 0;
    double peakMB = 0;
};

bool RunChild(const std::vector<std::string> &command, ChildFigures &figures)
{
    const std::string report = WorkFile(QStringLiteral("time.txt")).toStdString();
    std::vector<std::string> args = {"/usr/bin/time", "-f", "%e %M", "-o", report};
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
    if (fields.size() != 2)
        return false;
    figures.seconds += fields[0].toDouble();
    figures.peakMB = std::max(figures.peakMB, fields[1].toDouble() / 1024.0);
    return true;
}

void RunProcesses(benchmark::State &state, const std::vector<std::vector<std::string>> &commands)
{
    double peak = 0;
    for (auto _ : state) {
        ChildFigures figures;
        for (const auto &command : commands) {
            if (!RunChild(command, figures)) {
                state.SkipWithError("the child process failed");
                return;
            }
        }
        state.SetIterationTime(figures.seconds);
        peak = std::max(peak, figures.peakMB);
    }
    state.counters["peak_MB"] = peak;
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

BENCHMARK(BM_BuildCubeFilesAllChanged)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildCubeFilesNoChange)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildProcess)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_VipsthumbnailProcesses)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

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
