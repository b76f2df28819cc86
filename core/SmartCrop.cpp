#include "core/SmartCrop.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QPointF>
#include <QRectF>

#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>
// GLib's headers name a member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <vips/vips.h>
#pragma pop_macro("signals")

#include <algorithm>
#include <optional>
#include <vector>

namespace {
constexpr int WorkingSide = 640;

// The frontal-face models Debian's opencv-data installs, for OpenCV 4 and 3.
// Of the models shipped, "alt" takes the fewest crowds and foliage for faces.
constexpr const char *FaceModels[] = {
    "/usr/share/opencv4/haarcascades/haarcascade_frontalface_alt.xml",
    "/usr/share/opencv/haarcascades/haarcascade_frontalface_alt.xml",
};

// A copy of the picture small enough to look at quickly, in RGB bytes, with
// the caller's pixels per pixel of the copy.
struct WorkingCopy
{
    explicit WorkingCopy(const QImage &upright);
    QPointF toCaller(QPointF point) const { return {point.x() * scaleX, point.y() * scaleY}; }
    QRect toCaller(const cv::Rect &rect) const;

    QSize callerSize;
    QImage rgb;
    double scaleX = 1;
    double scaleY = 1;
};

QSize WorkingSize(QSize size)
{
    if (std::max(size.width(), size.height()) <= WorkingSide)
        return size;
    return size.scaled(WorkingSide, WorkingSide, Qt::KeepAspectRatio).expandedTo({1, 1});
}

WorkingCopy::WorkingCopy(const QImage &upright)
    : callerSize(upright.size())
    , rgb(upright.scaled(WorkingSize(upright.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .convertToFormat(QImage::Format_RGB888))
    , scaleX(double(callerSize.width()) / rgb.width())
    , scaleY(double(callerSize.height()) / rgb.height())
{
}

QRect WorkingCopy::toCaller(const cv::Rect &rect) const
{
    const QRectF scaled(rect.x * scaleX, rect.y * scaleY, rect.width * scaleX, rect.height * scaleY);
    return scaled.toAlignedRect() & QRect(QPoint(), callerSize);
}

// One classifier for the program, loaded on first use. It keeps scratch data
// while it detects, so one picture is looked at at a time.
class FaceDetector
{
public:
    static FaceDetector &Instance()
    {
        static FaceDetector detector;
        return detector;
    }

    std::vector<cv::Rect> find(const cv::Mat &gray)
    {
        std::vector<cv::Rect> faces;
        QMutexLocker lock(&m_mutex);
        if (m_classifier.empty())
            return faces;
        const cv::Size window = m_classifier.getOriginalWindowSize();
        if (gray.cols < window.width || gray.rows < window.height)
            return faces;
        try {
            m_classifier.detectMultiScale(gray, faces, 1.1, 4);
        } catch (const cv::Exception &) {
            faces.clear();
        }
        return faces;
    }

private:
    FaceDetector()
    {
        for (const char *path : FaceModels) {
            if (QFileInfo::exists(QString::fromLatin1(path)) && m_classifier.load(path))
                return;
        }
    }

    QMutex m_mutex;
    cv::CascadeClassifier m_classifier;
};

QList<QRect> FacesIn(const WorkingCopy &work)
{
    const cv::Mat rgb(work.rgb.height(), work.rgb.width(), CV_8UC3, const_cast<uchar *>(work.rgb.constBits()),
                      size_t(work.rgb.bytesPerLine()));
    cv::Mat gray;
    cv::cvtColor(rgb, gray, cv::COLOR_RGB2GRAY);
    cv::equalizeHist(gray, gray);
    QList<QRect> faces;
    for (const cv::Rect &face : FaceDetector::Instance().find(gray))
        faces.append(work.toCaller(face));
    return faces;
}

bool VipsStarted()
{
    static const bool started = [] {
        if (VIPS_INIT("vexilo") != 0)
            return false;
        // Each picture is looked at once; a cached operation would only keep
        // its input image, whose pixels belong to the caller, alive.
        vips_cache_set_max(0);
        return true;
    }();
    return started;
}

// libvips reads pixels without padding at the end of a row.
QByteArray PackedRows(const QImage &rgb)
{
    const qsizetype row = qsizetype(rgb.width()) * 3;
    QByteArray pixels(row * rgb.height(), Qt::Uninitialized);
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), row, pixels.data() + y * row);
    return pixels;
}

// The centre of the most salient square of the copy, as libvips' attention
// finds it.
std::optional<QPointF> AttentionCentre(const QImage &rgb)
{
    if (!VipsStarted())
        return std::nullopt;
    const QByteArray pixels = PackedRows(rgb);
    VipsImage *in = vips_image_new_from_memory(pixels.constData(), size_t(pixels.size()), rgb.width(), rgb.height(), 3,
                                               VIPS_FORMAT_UCHAR);
    if (!in) {
        vips_error_clear();
        return std::nullopt;
    }
    const int side = std::min(rgb.width(), rgb.height());
    VipsImage *out = nullptr;
    int x = 0;
    int y = 0;
    const int failed = vips_smartcrop(in, &out, side, side, "interesting", VIPS_INTERESTING_ATTENTION, "attention_x",
                                      &x, "attention_y", &y, nullptr);
    if (out)
        g_object_unref(out);
    g_object_unref(in);
    if (failed) {
        vips_error_clear();
        return std::nullopt;
    }
    return QPointF(x, y);
}

QPointF FacesCentre(const QList<QRect> &faces, int side)
{
    QRect box;
    for (const QRect &face : faces)
        box |= face;
    if (box.width() <= side && box.height() <= side)
        return QRectF(box).center();
    const auto largest = std::max_element(faces.begin(), faces.end(), [](const QRect &a, const QRect &b) {
        return qint64(a.width()) * a.height() < qint64(b.width()) * b.height();
    });
    return QRectF(*largest).center();
}

QRect SquareAround(QSize size, QPointF centre)
{
    const int side = std::min(size.width(), size.height());
    const int left = std::clamp(qRound(centre.x() - side / 2.0), 0, size.width() - side);
    const int top = std::clamp(qRound(centre.y() - side / 2.0), 0, size.height() - side);
    return {left, top, side, side};
}
} // namespace

QList<QRect> SmartCrop::Faces(const QImage &upright)
{
    if (upright.isNull())
        return {};
    return FacesIn(WorkingCopy(upright));
}

QRect SmartCrop::Square(const QImage &upright)
{
    if (upright.isNull())
        return {};
    if (upright.width() == upright.height())
        return upright.rect();
    const WorkingCopy work(upright);
    const int side = std::min(upright.width(), upright.height());
    const QList<QRect> faces = FacesIn(work);
    if (!faces.isEmpty())
        return SquareAround(upright.size(), FacesCentre(faces, side));
    if (const std::optional<QPointF> centre = AttentionCentre(work.rgb))
        return SquareAround(upright.size(), work.toCaller(*centre));
    return SquareAround(upright.size(), QRectF(upright.rect()).center());
}
