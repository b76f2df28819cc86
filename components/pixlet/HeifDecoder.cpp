#include "components/pixlet/HeifDecoder.h"

#include "components/pixlet/PictureDecoder.h"

#include <libheif/heif.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The limit is on the decoded RGBA picture, as for the other formats.
constexpr qint64 kBytesPerPixel = 4;

template <typename T, void (*Release)(T *)> struct Releaser
{
    void operator()(T *p) const { Release(p); }
};
using Context = std::unique_ptr<heif_context, Releaser<heif_context, heif_context_free>>;
using Handle = std::unique_ptr<heif_image_handle, Releaser<const heif_image_handle, heif_image_handle_release>>;
using Image = std::unique_ptr<heif_image, Releaser<const heif_image, heif_image_release>>;

bool Fits(qint64 width, qint64 height, int limitMB)
{
    return width > 0 && height > 0 && width * height * kBytesPerPixel <= (qint64(limitMB) << 20);
}

// The primary picture's handle when the file can be read and its declared
// size fits the limit; null otherwise. The context must outlive the handle.
Handle PrimaryImage(const Context &context, const QByteArray &data, int limitMB)
{
    const qint64 pixels = (qint64(limitMB) << 20) / kBytesPerPixel;
    heif_context_set_maximum_image_size_limit(context.get(), int(std::sqrt(double(pixels))));
    if (heif_context_read_from_memory_without_copy(context.get(), data.constData(), size_t(data.size()), nullptr).code
        != heif_error_Ok)
        return {};
    heif_image_handle *rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return {};
    Handle handle(rawHandle);
    if (!Fits(heif_image_handle_get_ispe_width(rawHandle), heif_image_handle_get_ispe_height(rawHandle), limitMB))
        return {};
    return handle;
}

std::vector<Handle> Thumbnails(const heif_image_handle *primary)
{
    std::vector<heif_item_id> ids(size_t(qMax(0, heif_image_handle_get_number_of_thumbnails(primary))));
    ids.resize(size_t(heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), int(ids.size()))));
    std::vector<Handle> thumbnails;
    for (heif_item_id id : ids) {
        heif_image_handle *thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &thumbnail).code == heif_error_Ok)
            thumbnails.emplace_back(thumbnail);
    }
    return thumbnails;
}

// The size once the item's rotation is applied.
QSize ShownSize(const heif_image_handle *handle)
{
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// Landscape both or portrait both, with the picture's proportions within a
// pixel or two of rounding.
bool SameShape(QSize thumbnail, QSize picture)
{
    const QSize fitted = PictureDecoder::FitInto(picture, thumbnail);
    return qAbs(fitted.width() - thumbnail.width()) <= 2 && qAbs(fitted.height() - thumbnail.height()) <= 2;
}

// At least as large as the picture fitted into the box.
bool Covers(QSize thumbnail, QSize box)
{
    const QSize fitted = PictureDecoder::FitInto(thumbnail, box);
    return thumbnail.isValid() && fitted.width() <= thumbnail.width() && fitted.height() <= thumbnail.height();
}

// The item decoded upright, its rotation and mirroring applied.
QImage DecodeHandle(const heif_image_handle *handle, int limitMB)
{
    heif_image *rawImage = nullptr;
    if (heif_decode_image(handle, &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr).code
        != heif_error_Ok)
        return {};
    Image image(rawImage);
    int stride = 0;
    const uint8_t *plane = heif_image_get_plane_readonly(rawImage, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(rawImage, heif_channel_interleaved);
    const int height = heif_image_get_height(rawImage, heif_channel_interleaved);
    if (!plane || !Fits(width, height, limitMB))
        return {};
    return QImage(plane, width, height, stride, QImage::Format_RGBA8888).copy();
}

} // namespace

namespace HeifDecoder {

bool IsHeif(const QByteArray &data)
{
    const int length = int(qMin<qsizetype>(data.size(), 64));
    const heif_filetype_result type = heif_check_filetype(reinterpret_cast<const uint8_t *>(data.constData()), length);
    return type == heif_filetype_yes_supported || type == heif_filetype_maybe;
}

bool Probe(const QByteArray &data, int limitMB)
{
    const Context context(heif_context_alloc());
    return PrimaryImage(context, data, limitMB) != nullptr;
}

QImage Decode(const QByteArray &data, int limitMB)
{
    const Context context(heif_context_alloc());
    const Handle handle = PrimaryImage(context, data, limitMB);
    return handle ? DecodeHandle(handle.get(), limitMB) : QImage();
}

QImage DecodeThumbnail(const QByteArray &data, QSize box)
{
    const Context context(heif_context_alloc());
    const Handle primary = PrimaryImage(context, data, PictureDecoder::DefaultLimitMB);
    if (!primary)
        return {};
    const QSize shown = ShownSize(primary.get());
    Handle chosen;
    for (Handle &thumbnail : Thumbnails(primary.get())) {
        const QSize size = ShownSize(thumbnail.get());
        // A thumbnail turned otherwise than the picture is not trusted.
        if (!SameShape(size, shown) || !Covers(size, box))
            continue;
        if (!chosen || size.width() < ShownSize(chosen.get()).width())
            chosen = std::move(thumbnail);
    }
    return chosen ? DecodeHandle(chosen.get(), PictureDecoder::DefaultLimitMB) : QImage();
}

} // namespace HeifDecoder
