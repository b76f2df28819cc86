#include "components/pixlet/HeifDecoder.h"

#include "components/pixlet/HeifContainer.h"
#include "components/pixlet/PictureDecoder.h"

#include <libheif/heif.h>

#include <QLibrary>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace {

// The limit is on the decoded RGBA picture, as for the other formats, but
// twice as high: libheif cannot decode a picture at a reduced size, and a
// phone's panorama (16384 x 4096) takes 256 MB.
constexpr qint64 kBytesPerPixel = 4;
constexpr int kLimitFactor = 2;

// What a file may declare before libheif parses it. A phone's largest
// pictures are grids of a few hundred tiles; a grid, its tiles and the
// auxiliary pictures (alpha, depth) declare a few times the picture's size.
constexpr qint64 kMaxItems = 1024;
constexpr qint64 kMaxReferences = 2 * kMaxItems;
constexpr qint64 kMaxDeclaredPictures = 4;

// libheif and the codecs it links take milliseconds to load and set up, so
// it is loaded on the first HEIF or AVIF picture rather than with the program.
struct Heif
{
    decltype(&heif_check_filetype) check_filetype;
    decltype(&heif_context_alloc) context_alloc;
    decltype(&heif_context_free) context_free;
    decltype(&heif_context_set_maximum_image_size_limit) context_set_maximum_image_size_limit;
    decltype(&heif_context_read_from_memory_without_copy) context_read_from_memory_without_copy;
    decltype(&heif_context_get_primary_image_handle) context_get_primary_image_handle;
    decltype(&heif_image_handle_get_ispe_width) image_handle_get_ispe_width;
    decltype(&heif_image_handle_get_ispe_height) image_handle_get_ispe_height;
    decltype(&heif_image_handle_get_width) image_handle_get_width;
    decltype(&heif_image_handle_get_height) image_handle_get_height;
    decltype(&heif_image_handle_get_number_of_thumbnails) image_handle_get_number_of_thumbnails;
    decltype(&heif_image_handle_get_list_of_thumbnail_IDs) image_handle_get_list_of_thumbnail_IDs;
    decltype(&heif_image_handle_get_thumbnail) image_handle_get_thumbnail;
    decltype(&heif_image_handle_release) image_handle_release;
    decltype(&heif_decode_image) decode_image;
    decltype(&heif_image_get_plane_readonly) image_get_plane_readonly;
    decltype(&heif_image_get_width) image_get_width;
    decltype(&heif_image_get_height) image_get_height;
    decltype(&heif_image_release) image_release;
};

template <typename F> bool Resolve(QLibrary &library, const char *name, F &slot)
{
    slot = reinterpret_cast<F>(library.resolve(name));
    return slot != nullptr;
}

std::optional<Heif> Bind()
{
    QLibrary library(QStringLiteral(LIBHEIF_SONAME));
    if (!library.load())
        return std::nullopt;
    Heif f{};
    bool complete = true;
#define HEIF_BIND(name) complete = Resolve(library, "heif_" #name, f.name) && complete
    HEIF_BIND(check_filetype);
    HEIF_BIND(context_alloc);
    HEIF_BIND(context_free);
    HEIF_BIND(context_set_maximum_image_size_limit);
    HEIF_BIND(context_read_from_memory_without_copy);
    HEIF_BIND(context_get_primary_image_handle);
    HEIF_BIND(image_handle_get_ispe_width);
    HEIF_BIND(image_handle_get_ispe_height);
    HEIF_BIND(image_handle_get_width);
    HEIF_BIND(image_handle_get_height);
    HEIF_BIND(image_handle_get_number_of_thumbnails);
    HEIF_BIND(image_handle_get_list_of_thumbnail_IDs);
    HEIF_BIND(image_handle_get_thumbnail);
    HEIF_BIND(image_handle_release);
    HEIF_BIND(decode_image);
    HEIF_BIND(image_get_plane_readonly);
    HEIF_BIND(image_get_width);
    HEIF_BIND(image_get_height);
    HEIF_BIND(image_release);
#undef HEIF_BIND
    if (!complete)
        return std::nullopt;
    return f;
}

// The library's functions; null where it cannot be loaded.
const Heif *Library()
{
    static const std::optional<Heif> heif = Bind();
    return heif ? &*heif : nullptr;
}

struct ContextFree
{
    void operator()(heif_context *p) const { Library()->context_free(p); }
};
struct HandleRelease
{
    void operator()(heif_image_handle *p) const { Library()->image_handle_release(p); }
};
struct ImageRelease
{
    void operator()(heif_image *p) const { Library()->image_release(p); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;

qint64 PixelLimit(int limitMB)
{
    return (qint64(limitMB) << 20) * kLimitFactor / kBytesPerPixel;
}

bool Fits(qint64 width, qint64 height, int limitMB)
{
    return width > 0 && height > 0 && width * height <= PixelLimit(limitMB);
}

// Whether libheif may be given the file: few enough items and references
// for its parser, and sizes that fit the limit.
bool WithinLimits(const HeifContainer &container, int limitMB)
{
    return container.items <= kMaxItems && container.references <= kMaxReferences
        && container.declaredPixels <= kMaxDeclaredPictures * PixelLimit(limitMB)
        && (!container.primarySize.isValid()
            || Fits(container.primarySize.width(), container.primarySize.height(), limitMB));
}

// Every HEIF and AVIF file begins with its file type box.
bool StartsWithFileTypeBox(const QByteArray &data)
{
    return data.size() >= 8 && data.mid(4, 4) == "ftyp";
}

// A fresh context; null when libheif cannot be loaded.
Context NewContext()
{
    return Context(Library() ? Library()->context_alloc() : nullptr);
}

// The primary picture's handle when the file can be read and its declared
// size fits the limit; null otherwise. The context must outlive the handle.
Handle PrimaryImage(const Context &context, const QByteArray &data, int limitMB)
{
    const std::optional<HeifContainer> container = HeifContainer::Read(data);
    if (!context || !container || !WithinLimits(*container, limitMB))
        return {};
    const Heif *heif = Library();
    // libheif's limit is on each side: any side a picture within the limit
    // can have passes it, and the size in pixels is checked below.
    heif->context_set_maximum_image_size_limit(context.get(), int(std::min<qint64>(PixelLimit(limitMB), INT_MAX)));
    if (heif->context_read_from_memory_without_copy(context.get(), data.constData(), size_t(data.size()), nullptr).code
        != heif_error_Ok)
        return {};
    heif_image_handle *rawHandle = nullptr;
    if (heif->context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return {};
    Handle handle(rawHandle);
    if (!Fits(heif->image_handle_get_ispe_width(rawHandle), heif->image_handle_get_ispe_height(rawHandle), limitMB))
        return {};
    return handle;
}

std::vector<Handle> Thumbnails(const heif_image_handle *primary)
{
    const Heif *heif = Library();
    std::vector<heif_item_id> ids(size_t(qMax(0, heif->image_handle_get_number_of_thumbnails(primary))));
    ids.resize(size_t(heif->image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), int(ids.size()))));
    std::vector<Handle> thumbnails;
    for (heif_item_id id : ids) {
        heif_image_handle *thumbnail = nullptr;
        if (heif->image_handle_get_thumbnail(primary, id, &thumbnail).code == heif_error_Ok)
            thumbnails.emplace_back(thumbnail);
    }
    return thumbnails;
}

// The size once the item's rotation is applied.
QSize ShownSize(const heif_image_handle *handle)
{
    return QSize(Library()->image_handle_get_width(handle), Library()->image_handle_get_height(handle));
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
    const Heif *heif = Library();
    heif_image *rawImage = nullptr;
    if (heif->decode_image(handle, &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr).code
        != heif_error_Ok)
        return {};
    Image image(rawImage);
    int stride = 0;
    const uint8_t *plane = heif->image_get_plane_readonly(rawImage, heif_channel_interleaved, &stride);
    const int width = heif->image_get_width(rawImage, heif_channel_interleaved);
    const int height = heif->image_get_height(rawImage, heif_channel_interleaved);
    if (!plane || !Fits(width, height, limitMB))
        return {};
    // The picture keeps libheif's pixels rather than a copy of them, which
    // for a panorama would double the memory taken.
    return QImage(
        plane, width, height, stride, QImage::Format_RGBA8888,
        [](void *decoded) { ImageRelease()(static_cast<heif_image *>(decoded)); }, image.release());
}

} // namespace

namespace HeifDecoder {

bool IsHeif(const QByteArray &data)
{
    const Heif *heif = StartsWithFileTypeBox(data) ? Library() : nullptr;
    if (!heif)
        return false;
    const int length = int(qMin<qsizetype>(data.size(), 64));
    const heif_filetype_result type = heif->check_filetype(reinterpret_cast<const uint8_t *>(data.constData()), length);
    return type == heif_filetype_yes_supported || type == heif_filetype_maybe;
}

bool TooLarge(const QByteArray &data, int limitMB)
{
    const std::optional<HeifContainer> container = HeifContainer::Read(data);
    return container && !WithinLimits(*container, limitMB);
}

bool Probe(const QByteArray &data, int limitMB)
{
    const Context context = NewContext();
    return PrimaryImage(context, data, limitMB) != nullptr;
}

QImage Decode(const QByteArray &data, int limitMB)
{
    const Context context = NewContext();
    const Handle handle = PrimaryImage(context, data, limitMB);
    return handle ? DecodeHandle(handle.get(), limitMB) : QImage();
}

QImage DecodeThumbnail(const QByteArray &data, QSize box)
{
    const Context context = NewContext();
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
