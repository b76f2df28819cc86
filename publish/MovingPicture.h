#pragma once

#include "core/CubeRenderer.h"

#include <QString>

#include <functional>

// A seamless loop of the cube making one full turn, with a gentle tilt so
// that its top and bottom show, written as a file that messaging apps,
// browsers and mail readers play: MP4 (H.264, yuv420p, its index at the
// front so that it plays while it downloads), WebM (VP9), animated WebP, or
// GIF (one palette for the loop, dithered; for mail). The file is written
// whole: until the last frame is in and on the disk it has another name,
// removed on any failure or cancel.
class MovingPicture
{
public:
    enum class Format { Mp4, WebM, WebP, Gif };
    // Every format, in the order they are offered.
    static constexpr Format Formats[] = {Format::Mp4, Format::WebM, Format::WebP, Format::Gif};
    // The sides offered, in pixels.
    static constexpr int Edges[] = {480, 720, 1080};

    struct Options
    {
        Format format = Format::Mp4;
        int edge = 720; // the picture is square
        double seconds = 6;
        int framesPerSecond = 30;
        QString caption; // drawn under the cube; none when empty

        // The edge of the face pictures the frames need: larger pictures
        // would only cost decoding and memory.
        int faceEdge() const;

        // A GIF's delays are whole hundredths of a second: 20 frames a
        // second is the nearest rate they keep exactly, and keeps the file
        // small enough for mail.
        static Options For(Format format)
        {
            Options options;
            options.format = format;
            options.framesPerSecond = format == Format::Gif ? 20 : 30;
            return options;
        }
    };

    struct Result
    {
        bool written = false;
        bool cancelled = false;
        QString error; // why it was not written, when it was not cancelled
    };

    // Told after each frame (a GIF's frames are drawn twice, and told as
    // twice as many); false cancels.
    using Progress = std::function<bool(int frame, int frames)>;

    static Result Write(const CubeRenderer &cube, const Options &options, const QString &path,
                        const Progress &progress = {});

    // The attitude of frame `frame` of `frames`: one full turn about the
    // vertical axis from the showing attitude, the tilt going from showing
    // the top to showing the bottom and back.
    static CubeAttitude AttitudeAt(int frame, int frames);
    // Frame `frame` of `frames` as it is written: the cube on white, its
    // caption under it.
    static QImage Frame(const CubeRenderer &cube, const Options &options, int frame, int frames);
    static int FrameCount(const Options &options);
    // The name's ending for the format: "mp4", "webm", "webp" or "gif".
    static QString Suffix(Format format);
};
