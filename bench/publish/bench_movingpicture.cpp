// The moving pictures of a cube of six 24-megapixel photos, against FFmpeg's
// own program given the same frames: vexilo-cube video's wall time and peak
// memory for a 6-second, 30 fps, 720 x 720 MP4; ffmpeg encoding the
// renderer's frames, passed raw, with the same encoder settings; and the
// files' sizes and SSIM against those frames (ffmpeg's ssim filter), for
// the MP4 and a 480 x 480 GIF.
#include "bench/support/BenchSupport.h"
#include "core/CubeModel.h"
#include "core/FaceFraming.h"
#include "publish/MovingPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>

namespace {

const QString kProgram = QStringLiteral(VEXILO_APP_DIR "/vexilo-cube");

QStringList Photos()
{
    QStringList photos;
    for (int i = 0; i < 6; ++i)
        photos << MakePhoto(WorkFile(QStringLiteral("photo%1.jpg").arg(i + 1)), i * 40);
    return photos;
}

std::vector<std::string> VideoCommand(const QString &format, int edge, const QString &out)
{
    std::vector<std::string> command{kProgram.toStdString(), "video"};
    const QStringList photos = Photos();
    for (int i = 0; i < 6; ++i)
        command.insert(command.end(), {"--face", QStringLiteral("%1=%2").arg(i + 1).arg(photos[i]).toStdString()});
    command.insert(command.end(), {"--fill", "all", "--format", format.toStdString(), "--size",
                                   std::to_string(edge), "--out", out.toStdString()});
    return command;
}

// The renderer's own frames, as the command draws them, raw BGRA.
QString RawFrames(int edge, MovingPicture::Format format)
{
    MovingPicture::Options options = MovingPicture::Options::For(format);
    options.edge = edge;
    const QString path = WorkFile(QStringLiteral("frames%1-%2.bgra").arg(edge).arg(options.framesPerSecond));
    if (QFileInfo::exists(path))
        return path;
    CubeContent content;
    const QStringList photos = Photos();
    for (int i = 0; i < 6; ++i)
        content.faces[i] = CubeFace::Photo(photos[i]).Framed(FaceFraming().Filled());
    const CubeRenderer cube = CubeRenderer::Of(content, options.faceEdge());
    QFile raw(path);
    raw.open(QIODevice::WriteOnly);
    const int frames = MovingPicture::FrameCount(options);
    for (int frame = 0; frame < frames; ++frame) {
        const QImage picture =
            MovingPicture::Frame(cube, options, frame, frames).convertToFormat(QImage::Format_ARGB32);
        raw.write(reinterpret_cast<const char *>(picture.constBits()), picture.sizeInBytes());
    }
    return path;
}

QStringList RawInput(int edge, MovingPicture::Format format)
{
    return {"-f", "rawvideo", "-pix_fmt", "bgra", "-s", QStringLiteral("%1x%1").arg(edge), "-r",
            QString::number(MovingPicture::Options::For(format).framesPerSecond), "-i", RawFrames(edge, format)};
}

// ffmpeg's SSIM of the file's frames against the raw ones ("All:" of its
// summary).
double Ssim(const QString &file, int edge, MovingPicture::Format format)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-v", "info", "-i", file} + RawInput(edge, format)
                                               + QStringList{"-lavfi", "[0:v][1:v]ssim", "-f", "null", "-"});
    ffmpeg.waitForFinished(-1);
    const QRegularExpressionMatch all =
        QRegularExpression(QStringLiteral("All:([0-9.]+)")).match(QString::fromUtf8(ffmpeg.readAllStandardError()));
    return all.hasMatch() ? all.captured(1).toDouble() : 0;
}

void Report(benchmark::State &state, const QString &file, int edge, MovingPicture::Format format)
{
    state.counters["size_MB"] = double(QFileInfo(file).size()) / (1 << 20);
    state.counters["ssim"] = Ssim(file, edge, format);
}

void BM_VexiloMp4(benchmark::State &state)
{
    const QString out = WorkFile(QStringLiteral("cube.mp4"));
    RunProcesses(state, {VideoCommand(QStringLiteral("mp4"), 720, out)});
    Report(state, out, 720, MovingPicture::Format::Mp4);
}

void BM_FfmpegMp4SameFrames(benchmark::State &state)
{
    const QString out = WorkFile(QStringLiteral("ffmpeg.mp4"));
    std::vector<std::string> command{"ffmpeg", "-v", "error", "-y"};
    for (const QString &argument : RawInput(720, MovingPicture::Format::Mp4) + QStringList{"-c:v", "libx264", "-preset", "medium", "-crf", "23",
                                                               "-x264-params", "rc-lookahead=10", "-pix_fmt", "yuv420p",
                                                               "-movflags", "+faststart", out})
        command.push_back(argument.toStdString());
    RunProcesses(state, {command});
    Report(state, out, 720, MovingPicture::Format::Mp4);
}

void BM_VexiloGif(benchmark::State &state)
{
    const QString out = WorkFile(QStringLiteral("cube.gif"));
    RunProcesses(state, {VideoCommand(QStringLiteral("gif"), 480, out)});
    Report(state, out, 480, MovingPicture::Format::Gif);
}

BENCHMARK(BM_VexiloMp4)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_FfmpegMp4SameFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_VexiloGif)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RawFrames(720, MovingPicture::Format::Mp4);
    RawFrames(480, MovingPicture::Format::Gif);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
