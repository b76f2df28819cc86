#include "tools/Command.h"
#include "tools/CubeArguments.h"
#include "tools/StderrProgress.h"

#include "publish/CubeFromFaces.h"
#include "publish/MovingPicture.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kOut = QStringLiteral("out");
const QString kFormat = QStringLiteral("format");
const QString kSize = QStringLiteral("size");
const QString kSeconds = QStringLiteral("seconds");
const QString kShowCaption = QStringLiteral("show-caption");

// The options' values, or the problem with them.
QString ReadOptions(const QCommandLineParser &parser, MovingPicture::Options &options)
{
    const QString format = parser.value(kFormat).isEmpty() ? QStringLiteral("mp4") : parser.value(kFormat);
    const auto &formats = MovingPicture::Formats;
    const auto known = std::find_if(std::begin(formats), std::end(formats),
                                    [&](MovingPicture::Format f) { return MovingPicture::Suffix(f) == format; });
    if (known == std::end(formats))
        return QStringLiteral("--format is mp4, webm, webp or gif");
    options = MovingPicture::Options::For(*known);
    if (parser.isSet(kSize)) {
        options.edge = parser.value(kSize).toInt();
        if (std::find(std::begin(MovingPicture::Edges), std::end(MovingPicture::Edges), options.edge)
            == std::end(MovingPicture::Edges))
            return QStringLiteral("--size is 480, 720 or 1080");
    }
    if (parser.isSet(kSeconds)) {
        bool number = false;
        options.seconds = parser.value(kSeconds).toDouble(&number);
        if (!number || options.seconds < 1 || options.seconds > 60)
            return QStringLiteral("--seconds is a number from 1 to 60");
    }
    return {};
}

int RunVideo(const QCommandLineParser &parser)
{
    CubeArguments arguments;
    if (const QString problem = arguments.Read(parser); !problem.isEmpty())
        return UsageError(QStringLiteral("video"), problem);
    if (parser.value(kOut).isEmpty())
        return UsageError(QStringLiteral("video"), QStringLiteral("--out FILE is required"));
    MovingPicture::Options options;
    if (const QString problem = ReadOptions(parser, options); !problem.isEmpty())
        return UsageError(QStringLiteral("video"), problem);
    CubeFromFaces cube;
    if (const int exit = arguments.PlaceOn(cube); exit != ExitDone)
        return exit;
    if (parser.isSet(kShowCaption))
        options.caption = cube.cube().Caption();
    const QString out = QFileInfo(parser.value(kOut)).absoluteFilePath();
    StderrProgress progress;
    int shown = 0;
    const MovingPicture::Result result = MovingPicture::Write(
        CubeRenderer::Of(cube.cube().Content(), options.faceEdge()), options, out, [&](int frame, int frames) {
            // Tenths of the frames as the steps, the last one once the file is whole.
            if (const int step = frame * 10 / frames; step > shown && step < 10)
                progress.showStep(shown = step);
            return true;
        });
    if (!result.written) {
        PrintErr(QStringLiteral("vexilo-cube video: cannot write %1: %2").arg(out, result.error));
        return ExitFailed;
    }
    progress.Finish();
    return ExitDone;
}

Command VideoCommand()
{
    QList<QCommandLineOption> options = CubeArguments::Options();
    options << QCommandLineOption(kOut, QStringLiteral("the video file to write"), QStringLiteral("FILE"))
            << QCommandLineOption(kFormat, QStringLiteral("mp4 (H.264, the default), webm (VP9), webp (animated) or gif"),
                                  QStringLiteral("FORMAT"))
            << QCommandLineOption(kSize, QStringLiteral("the picture's side in pixels: 480, 720 (the default) or 1080"),
                                  QStringLiteral("PIXELS"))
            << QCommandLineOption(kSeconds, QStringLiteral("how long one full turn takes (6 by default)"),
                                  QStringLiteral("SECONDS"))
            << QCommandLineOption(kShowCaption, QStringLiteral("draw the cube's caption under it"));
    return {QStringLiteral("video"),
            QStringLiteral("make a looping video or animated picture of the cube turning"),
            QStringLiteral("--out FILE [--cube FILE] [--face N=PATH]... [--caption TEXT] [--fit N]... [--fill N]... "
                           "[--crop N=X,Y,SIZE]... [--turn N=DEGREES]... [--format mp4|webm|webp|gif] [--size PIXELS] "
                           "[--seconds SECONDS] [--show-caption]"),
            options,
            {},
            RunVideo};
}

const Command::Registrar video(VideoCommand());
} // namespace
