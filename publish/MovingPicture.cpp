#include "publish/MovingPicture.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <memory>
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
    // The encoder's options: a quality, not a bit rate, so that a still
    // cube takes few bytes and a busy one keeps its detail.
    std::vector<std::pair<const char *, const char *>> settings;
};

Codec CodecFor(MovingPicture::Format format)
{
    if (format == MovingPicture::Format::WebM)
        return {"webm", "libvpx-vp9", {{"crf", "33"}, {"b", "0"}, {"deadline", "good"}, {"cpu-used", "4"}, {"row-mt", "1"}}};
    return {"mp4", "libx264", {{"preset", "medium"}, {"crf", "23"}, {"profile", "high"}}};
}

// One encoding: the frames go in one by one, the packets out to the file.
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
        if (!m_stream || !m_codec)
            return QStringLiteral("out of memory");
        AVCodecContext *c = m_codec.get();
        c->width = options.edge;
        c->height = options.edge;
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->time_base = AVRational{1, options.framesPerSecond};
        c->framerate = AVRational{options.framesPerSecond, 1};
        c->gop_size = options.framesPerSecond * 2;
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
        error = avformat_write_header(m_format.get(), &muxing);
        av_dict_free(&muxing);
        if (error < 0)
            return AvError(error);
        return PrepareFrames(options.edge);
    }

    QString Add(const QImage &picture, int index)
    {
        int error = av_frame_make_writable(m_frame.get());
        if (error < 0)
            return AvError(error);
        const QImage bgra = picture.convertToFormat(QImage::Format_ARGB32);
        const uint8_t *planes[1] = {bgra.constBits()};
        const int strides[1] = {int(bgra.bytesPerLine())};
        sws_scale(m_scaler.get(), planes, strides, 0, bgra.height(), m_frame->data, m_frame->linesize);
        m_frame->pts = index;
        error = avcodec_send_frame(m_codec.get(), m_frame.get());
        return error < 0 ? AvError(error) : WritePackets();
    }

    // The encoder's last packets and the file's index; the file is closed.
    QString Finish()
    {
        int error = avcodec_send_frame(m_codec.get(), nullptr);
        if (error < 0)
            return AvError(error);
        const QString written = WritePackets();
        if (!written.isEmpty())
            return written;
        error = av_write_trailer(m_format.get());
        if (error >= 0)
            error = avio_closep(&m_format->pb);
        return error < 0 ? AvError(error) : QString();
    }

private:
    QString PrepareFrames(int edge)
    {
        m_frame.reset(av_frame_alloc());
        m_packet.reset(av_packet_alloc());
        m_scaler.reset(sws_getContext(edge, edge, AV_PIX_FMT_BGRA, edge, edge, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                      nullptr, nullptr, nullptr));
        if (!m_frame || !m_packet || !m_scaler)
            return QStringLiteral("out of memory");
        m_frame->format = AV_PIX_FMT_YUV420P;
        m_frame->width = edge;
        m_frame->height = edge;
        const int error = av_frame_get_buffer(m_frame.get(), 0);
        return error < 0 ? AvError(error) : QString();
    }

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
    std::unique_ptr<AVFrame, FrameFree> m_frame;
    std::unique_ptr<AVPacket, PacketFree> m_packet;
    std::unique_ptr<SwsContext, ScalerFree> m_scaler;
    AVStream *m_stream = nullptr;
};

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

int MovingPicture::FrameCount(const Options &options)
{
    return qMax(1, int(std::lround(options.seconds * options.framesPerSecond)));
}

QString MovingPicture::Suffix(Format format)
{
    return format == Format::WebM ? QStringLiteral("webm") : QStringLiteral("mp4");
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
    QString error = encoder.Open(options, partial.fileName());
    const int frames = FrameCount(options);
    const QSize size(options.edge, options.edge);
    for (int frame = 0; frame < frames && error.isEmpty(); ++frame) {
        error = encoder.Add(cube.Render(size, AttitudeAt(frame, frames)), frame);
        if (error.isEmpty() && progress && !progress(frame + 1, frames))
            return {false, true, {}};
    }
    if (error.isEmpty())
        error = encoder.Finish();
    if (error.isEmpty() && (!MadeShareable(partial.fileName()) || !Synced(partial.fileName())))
        error = QStringLiteral("the file could not be written to the disk");
    if (!error.isEmpty())
        return {false, false, error};
    if (::rename(QFile::encodeName(partial.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return {false, false, QString::fromLocal8Bit(strerror(errno))};
    partial.setAutoRemove(false);
    return {true, false, {}};
}
