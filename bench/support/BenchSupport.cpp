#include "bench/support/BenchSupport.h"

#include <QGuiApplication>

#include "core/AppPaths.h"
#include "photosource/TBrowserLibrary.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

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
    figures.seconds += fields[0].toDouble();
    figures.cpuSeconds += fields[1].toDouble() + fields[2].toDouble();
    figures.peakMB = std::max(figures.peakMB, fields[3].toDouble() / 1024.0);
    return true;
}

} // namespace

QString WorkFile(const QString &name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

QString MakePhoto(const QString &path, int tint)
{
    if (QFile::exists(path))
        return path;
    QImage image(6000, 4000, QImage::Format_RGB32);
    quint32 seed = 12345 + tint;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            line[x] = qRgb(qBound(0, x * 255 / 6000 + grain + tint * 20, 255), qBound(0, y * 255 / 4000 + grain, 255),
                           qBound(0, 128 + (x ^ y) % 64 + grain - tint * 15, 255));
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return path;
}

void RunProcesses(benchmark::State &state, const std::vector<std::vector<std::string>> &commands)
{
    double peak = 0, cpu = 0;
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
        cpu += figures.cpuSeconds;
    }
    state.counters["peak_MB"] = peak;
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
}

int RunWithBrowserLibrary(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The library lies beside the program, as it does in an installation.
    AppPaths::setProgramDirectory(QCoreApplication::applicationDirPath() + QStringLiteral("/../app"));
    qputenv("PATH", QByteArray());
    if (!TBrowserLibrary::Load() || Tb().TbInitialize(0, 0, nullptr) != TB_OK)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Tb().TbQuit();
    return 0;
}

int RunWithGuiApplication(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
