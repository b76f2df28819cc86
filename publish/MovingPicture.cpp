#include "publish/MovingPicture.h"

#include "core/FaceFraming.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QFileInfo>
#include <QPainter>
#include <QTemporaryFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

struct FormatContextFree
{
    void operator()(AVFormatContext *context) const
    {
        if (context && context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct CodecContextFree
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFree
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFree
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct ScalerFree
{
    void operator()(SwsContext *scaler) const { sws_freeContext(scaler); }
};
struct GraphFree
{
    void operator()(AVFilterGraph *graph) const { avfilter_graph_free(&graph); }
};
using FramePointer = std::unique_ptr<AVFrame, FrameFree>;

QString AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

struct Codec
{
    const char *muxer;
    const char *encoder;
    AVPixelFormat pixels; // what the encoder takes
    // The encoder's options: a quality, not a bit rate, so that a still
    // cube takes few bytes and a busy one keeps its detail.
    std::vector<std::pair<const char *, const char *>> settings;
};

Codec CodecFor(MovingPicture::Format format)
{
    switch (format) {
    case MovingPicture::Format::WebM:
        return {"webm", "libvpx-vp9", AV_PIX_FMT_YUV420P,
                {{"crf", "33"}, {"b", "0"}, {"deadline", "good"}, {"cpu-used", "4"}, {"row-mt", "1"}}};
    case MovingPicture::Format::WebP:
        return {"webp", "libwebp_anim", AV_PIX_FMT_YUV420P, {{"quality", "70"}, {"compression_level", "4"}}};
    case MovingPicture::Format::Gif:
        // Each frame stores only the rectangle that changed.
        return {"gif", "gif", AV_PIX_FMT_PAL8, {{"gifflags", "+offsetting+transdiff"}}};
    case MovingPicture::Format::Mp4:
        break;
    }
    // Ten frames looked ahead rather than the preset's forty: the cube turns
    // steadily, so that more gain next to nothing, and each takes some 4 MB
    // at 720 pixels.
    return {"mp4", "libx264", AV_PIX_FMT_YUV420P,
            {{"preset", "medium"}, {"crf", "23"}, {"profile", "high"}, {"x264-params", "rc-lookahead=10"}}};
}

// The drawn frame (opaque 32-bit RGB, in FFmpeg's BGRA byte order) as a
// frame for the filters.
FramePointer ColourFrame(const QImage &bgra, int index)
{
    FramePointer frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_BGRA;
    frame->width = bgra.width();
    frame->height = bgra.height();
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return {};
    for (int y = 0; y < bgra.height(); ++y)
        memcpy(frame->data[0] + y * frame->linesize[0], bgra.constScanLine(y), size_t(bgra.bytesPerLine()));
    frame->pts = index;
    return frame;
}

// A filter graph with named sources ("buffer@NAME") and one sink
// ("buffersink@out"), made from FFmpeg's filter description.
class FilterGraph
{
public:
    QString Open(const QString &description)
    {
        m_graph.reset(avfilter_graph_alloc());
        if (!m_graph)
            return QStringLiteral("out of memory");
        AVFilterInOut *inputs = nullptr;
        AVFilterInOut *outputs = nullptr;
        int error = avfilter_graph_parse2(m_graph.get(), description.toUtf8().constData(), &inputs, &outputs);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        if (error >= 0)
            error = avfilter_graph_config(m_graph.get(), nullptr);
        return error < 0 ? AvError(error) : QString();
    }

    // A frame into the source; a null frame ends it.
    QString Push(const char *source, AVFrame *frame)
    {
        AVFilterContext *buffer = avfilter_graph_get_filter(m_graph.get(), source);
        const int error = buffer ? av_buffersrc_add_frame_flags(buffer, frame, AV_BUFFERSRC_FLAG_KEEP_REF) : -1;
        return error < 0 ? AvError(error) : QString();
    }

    // The next frame out, if one is ready.
    FramePointer Pull()
    {
        FramePointer frame(av_frame_alloc());
        AVFilterContext *sink = avfilter_graph_get_filter(m_graph.get(), "buffersink@out");
        return sink && av_buffersink_get_frame(sink, frame.get()) >= 0 ? std::move(frame) : FramePointer();
    }

private:
    std::unique_ptr<AVFilterGraph, GraphFree> m_graph;
};

QString FramesSource(const char *name, int width, int height, int format, int framesPerSecond)
{
    return QStringLiteral("buffer@%1=video_size=%2x%3:pix_fmt=%4:time_base=1/%5:pixel_aspect=1/1")
        .arg(QLatin1String(name))
        .arg(width)
        .arg(height)
        .arg(QLatin1String(av_get_pix_fmt_name(AVPixelFormat(format))))
        .arg(framesPerSecond);
}

// One encoding: frames in the encoder's pixel format go in one by one, the
// packets out to the file.
class Encoder
{
public:
    QString Open(const MovingPicture::Options &options, const QString &path)
    {
        const Codec codec = CodecFor(options.format);
        AVFormatContext *rawFormat = nullptr;
        const QByteArray file = QFile::encodeName(path);
        if (avformat_alloc_output_context2(&rawFormat, nullptr, codec.muxer, file.constData()) < 0)
            return QStringLiteral("no %1 writer").arg(QLatin1String(codec.muxer));
        m_format.reset(rawFormat);
        const AVCodec *encoder = avcodec_find_encoder_by_name(codec.encoder);
        if (!encoder)
            return QStringLiteral("no %1 encoder").arg(QLatin1String(codec.encoder));
        m_stream = avformat_new_stream(m_format.get(), nullptr);
        m_codec.reset(avcodec_alloc_context3(encoder));
        m_packet.reset(av_packet_alloc());
        if (!m_stream || !m_codec || !m_packet)
            return QStringLiteral("out of memory");
        AVCodecContext *c = m_codec.get();
        c->width = options.edge;
        c->height = options.edge;
        c->pix_fmt = codec.pixels;
        c->time_base = AVRational{1, options.framesPerSecond};
        c->framerate = AVRational{options.framesPerSecond, 1};
        // sRGB pictures in the limited-range BT.601 YUV that libswscale
        // makes by default, said so that players turn them back into the
        // same colours.
        c->color_range = AVCOL_RANGE_MPEG;
        c->colorspace = AVCOL_SPC_SMPTE170M;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_IEC61966_2_1;
        c->thread_count = 0;
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        for (const auto &[name, value] : codec.settings)
            av_opt_set(c, name, value, AV_OPT_SEARCH_CHILDREN);
        int error = avcodec_open2(c, encoder, nullptr);
        if (error >= 0)
            error = avcodec_parameters_from_context(m_stream->codecpar, c);
        if (error >= 0)
            error = avio_open(&m_format->pb, file.constData(), AVIO_FLAG_WRITE);
        if (error < 0)
            return AvError(error);
        m_stream->time_base = c->time_base;
        AVDictionary *muxing = nullptr;
        if (options.format == MovingPicture::Format::Mp4)
            av_dict_set(&muxing, "movflags", "+faststart", 0);
        else if (options.format != MovingPicture::Format::WebM)
            av_dict_set(&muxing, "loop", "0", 0); // for ever
        error = avformat_write_header(m_format.get(), &muxing);
        av_dict_free(&muxing);
        return error < 0 ? AvError(error) : QString();
    }

    QString Send(AVFrame *frame)
    {
        const int error = avcodec_send_frame(m_codec.get(), frame);
        return error < 0 ? AvError(error) : WritePackets();
    }

    // The encoder's last packets and the file's index; the file is closed.
    QString Finish()
    {
        const QString sent = Send(nullptr);
        if (!sent.isEmpty())
            return sent;
        int error = av_write_trailer(m_format.get());
        if (error >= 0)
            error = avio_closep(&m_format->pb);
        return error < 0 ? AvError(error) : QString();
    }

private:
    QString WritePackets()
    {
        for (;;) {
            const int received = avcodec_receive_packet(m_codec.get(), m_packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return {};
            if (received < 0)
                return AvError(received);
            av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
            m_packet->stream_index = m_stream->index;
            const int error = av_interleaved_write_frame(m_format.get(), m_packet.get());
            if (error < 0)
                return AvError(error);
        }
    }

    std::unique_ptr<AVFormatContext, FormatContextFree> m_format;
    std::unique_ptr<AVCodecContext, CodecContextFree> m_codec;
    std::unique_ptr<AVPacket, PacketFree> m_packet;
    AVStream *m_stream = nullptr;
};

using Render = std::function<QImage(int frame)>;
using Progress = MovingPicture::Progress;

// The frames in turn, drawn by a thread of their own a few frames ahead of
// the one being encoded: the encoder leaves a core partly idle, and drawing
// fills it.
class FramesAhead
{
public:
    FramesAhead(const Render &render, int frames)
        : m_render(render)
        , m_frames(frames)
        , m_drawer([this] { Draw(); })
    {
    }

    ~FramesAhead()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_taken.notify_all();
        m_drawer.join();
    }

    QImage Take()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_drawn.wait(lock, [this] { return !m_ahead.empty(); });
        QImage picture = std::move(m_ahead.front());
        m_ahead.pop_front();
        m_taken.notify_one();
        return picture;
    }

private:
    static constexpr std::size_t InFlight = 3; // some 2 MB each at 720 pixels

    void Draw()
    {
        for (int frame = 0; frame < m_frames; ++frame) {
            QImage picture = m_render(frame);
            std::unique_lock<std::mutex> lock(m_mutex);
            m_taken.wait(lock, [this] { return m_stop || m_ahead.size() < InFlight; });
            if (m_stop)
                return;
            m_ahead.push_back(std::move(picture));
            m_drawn.notify_one();
        }
    }

    const Render &m_render;
    const int m_frames;
    std::mutex m_mutex;
    std::condition_variable m_drawn, m_taken;
    std::deque<QImage> m_ahead;
    bool m_stop = false;
    std::thread m_drawer;
};

// The frames turned to the video codecs' 4:2:0 colour, one by one.
MovingPicture::Result EncodeVideo(Encoder &encoder, const Render &render, int edge, int frames,
                                  const Progress &progress)
{
    const std::unique_ptr<SwsContext, ScalerFree> scaler(sws_getContext(
        edge, edge, AV_PIX_FMT_BGRA, edge, edge, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    const FramePointer yuv(av_frame_alloc());
    if (!scaler || !yuv)
        return {false, false, QStringLiteral("out of memory")};
    yuv->format = AV_PIX_FMT_YUV420P;
    yuv->width = edge;
    yuv->height = edge;
    if (const int error = av_frame_get_buffer(yuv.get(), 0); error < 0)
        return {false, false, AvError(error)};
    FramesAhead pictures(render, frames);
    for (int frame = 0; frame < frames; ++frame) {
        const QImage bgra = pictures.Take();
        if (av_frame_make_writable(yuv.get()) < 0)
            return {false, false, QStringLiteral("out of memory")};
        const uint8_t *const planes[] = {bgra.constBits()};
        const int strides[] = {int(bgra.bytesPerLine())};
        sws_scale(scaler.get(), planes, strides, 0, edge, yuv->data, yuv->linesize);
        yuv->pts = frame;
        if (const QString error = encoder.Send(yuv.get()); !error.isEmpty())
            return {false, false, error};
        if (progress && !progress(frame + 1, frames))
            return {false, true, {}};
    }
    return {true, false, {}};
}

// A GIF's 256 colours chosen once for the whole loop, from every frame, so
// that a colour keeps its index from frame to frame; the frames are then
// mapped to it with error diffusion. The frames are drawn twice, once for
// each pass, rather than kept.
MovingPicture::Result EncodeGif(Encoder &encoder, const Render &render, const MovingPicture::Options &options,
                                int frames, const Progress &progress)
{
    const int edge = options.edge, fps = options.framesPerSecond;
    const auto told = [&](int step) { return !progress || progress(step, 2 * frames); };
    FilterGraph statistics;
    QString error = statistics.Open(FramesSource("frames", edge, edge, AV_PIX_FMT_BGRA, fps)
                                    + QStringLiteral(",palettegen=stats_mode=full,buffersink@out"));
    FramesAhead firstPass(render, frames);
    for (int frame = 0; frame < frames && error.isEmpty(); ++frame) {
        const FramePointer colour = ColourFrame(firstPass.Take(), frame);
        error = colour ? statistics.Push("buffer@frames", colour.get()) : QStringLiteral("out of memory");
        if (error.isEmpty() && !told(frame + 1))
            return {false, true, {}};
    }
    if (error.isEmpty())
        error = statistics.Push("buffer@frames", nullptr);
    const FramePointer palette = error.isEmpty() ? statistics.Pull() : FramePointer();
    if (!palette)
        return {false, false, error.isEmpty() ? QStringLiteral("no palette") : error};
    FilterGraph mapping;
    error = mapping.Open(FramesSource("frames", edge, edge, AV_PIX_FMT_BGRA, fps) + QStringLiteral("[f];")
                         + FramesSource("palette", palette->width, palette->height, palette->format, fps)
                         + QStringLiteral("[p];[f][p]paletteuse=dither=bayer:bayer_scale=5:diff_mode=rectangle,buffersink@out"));
    if (error.isEmpty())
        error = mapping.Push("buffer@palette", palette.get());
    if (error.isEmpty())
        error = mapping.Push("buffer@palette", nullptr);
    FramesAhead secondPass(render, frames);
    for (int frame = 0; frame <= frames && error.isEmpty(); ++frame) {
        const FramePointer colour = frame < frames ? ColourFrame(secondPass.Take(), frame) : FramePointer();
        error = mapping.Push("buffer@frames", colour.get());
        for (FramePointer mapped = mapping.Pull(); mapped && error.isEmpty(); mapped = mapping.Pull())
            error = encoder.Send(mapped.get());
        if (error.isEmpty() && frame < frames && !told(frames + frame + 1))
            return {false, true, {}};
    }
    return error.isEmpty() ? MovingPicture::Result{true, false, {}} : MovingPicture::Result{false, false, error};
}

// Two lines at most, the rest left out, centred in the band.
void DrawCaption(QPainter &painter, const QRect &band, const QString &caption)
{
    QFont font = painter.font();
    font.setPixelSize(qMax(8, band.height() / 3));
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    const QFontMetrics metrics(font);
    QStringList lines = caption.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(0, 2);
    for (QString &line : lines)
        line = metrics.elidedText(line.trimmed(), Qt::ElideRight, band.width());
    painter.drawText(band, Qt::AlignCenter, lines.join(QLatin1Char('\n')));
}

// The mode a new file gets: read and write for all, less the user's mask.
// A temporary file is made for its owner alone.
bool MadeShareable(const QString &path)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask) == 0;
}

// The file's bytes on the disk, not only in the system's cache.
bool Synced(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

} // namespace

CubeAttitude MovingPicture::AttitudeAt(int frame, int frames)
{
    const double turn = double(frame) / qMax(1, frames);
    const CubeAttitude showing = CubeAttitude::Showing();
    return {showing.x * std::cos(2 * M_PI * turn), showing.y + 360 * turn};
}

QImage MovingPicture::Frame(const CubeRenderer &cube, const Options &options, int frame, int frames)
{
    const int edge = options.edge;
    // Opaque, so that its bytes are already in the order FFmpeg reads (BGRA).
    QImage picture(edge, edge, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const int band = options.caption.isEmpty() ? 0 : edge / 6;
    cube.Paint(painter, QRectF(0, 0, edge, edge - band), AttitudeAt(frame, frames));
    if (band > 0)
        DrawCaption(painter, QRect(edge / 16, edge - band, edge - edge / 8, band - edge / 32), options.caption);
    painter.end();
    return picture;
}

int MovingPicture::Options::faceEdge() const
{
    return std::min(FaceFraming::PrintEdge, CubeRenderer::ShownFaceEdge(edge));
}

int MovingPicture::FrameCount(const Options &options)
{
    return qMax(1, int(std::lround(options.seconds * options.framesPerSecond)));
}

QString MovingPicture::Suffix(Format format)
{
    switch (format) {
    case Format::WebM:
        return QStringLiteral("webm");
    case Format::WebP:
        return QStringLiteral("webp");
    case Format::Gif:
        return QStringLiteral("gif");
    case Format::Mp4:
        break;
    }
    return QStringLiteral("mp4");
}

MovingPicture::Result MovingPicture::Write(const CubeRenderer &cube, const Options &options, const QString &path,
                                           const Progress &progress)
{
    // The encoders' own reports are for their developers.
    av_log_set_level(AV_LOG_ERROR);
    const QFileInfo target(path);
    QTemporaryFile partial(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!partial.open())
        return {false, false, partial.errorString()};
    partial.close();
    Encoder encoder;
    if (const QString error = encoder.Open(options, partial.fileName()); !error.isEmpty())
        return {false, false, error};
    const int frames = FrameCount(options);
    const Render render = [&](int frame) { return Frame(cube, options, frame, frames); };
    const Result encoded = options.format == Format::Gif ? EncodeGif(encoder, render, options, frames, progress)
                                                         : EncodeVideo(encoder, render, options.edge, frames, progress);
    if (!encoded.written)
        return encoded;
    QString error = encoder.Finish();
    if (error.isEmpty() && (!MadeShareable(partial.fileName()) || !Synced(partial.fileName())))
        error = QStringLiteral("the file could not be written to the disk");
    if (!error.isEmpty())
        return {false, false, error};
    if (::rename(QFile::encodeName(partial.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return {false, false, QString::fromLocal8Bit(strerror(errno))};
    partial.setAutoRemove(false);
    return {true, false, {}};
}
