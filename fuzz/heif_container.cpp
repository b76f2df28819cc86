// The HEIF container's boxes, read before libheif sees a file, then the
// decoder on what they let through: a file within the limits on items and
// declared sizes must come back as a picture or nothing, quickly.
#include "components/pixlet/HeifContainer.h"
#include "components/pixlet/HeifDecoder.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<HeifContainer> container = HeifContainer::Read(bytes);
    if (!container)
        return 0;
    FUZZ_CHECK(container->items >= 0 && container->references >= 0 && container->declaredPixels >= 0);
    const QImage picture = HeifDecoder::Decode(bytes, 16);
    if (!picture.isNull())
        FUZZ_CHECK(qint64(picture.width()) * picture.height() * 4 <= (qint64(16) << 20) * 2);
    return 0;
}
