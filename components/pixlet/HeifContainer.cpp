#include "components/pixlet/HeifContainer.h"

#include <QHash>

#include <climits>
#include <limits>
#include <vector>

namespace {

// Big-endian numbers from one box's payload, never past its end.
class Payload
{
public:
    Payload(const QByteArray &data, qint64 begin, qint64 end)
        : m_data(data)
        , m_at(begin)
        , m_end(end)
    {
    }

    bool Has(qint64 bytes) const { return m_at + bytes <= m_end; }
    qint64 at() const { return m_at; }

    // The next `bytes` bytes as a number; 0 once the payload is used up.
    quint64 Next(int bytes)
    {
        if (!Has(bytes)) {
            m_at = m_end;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | quint8(m_data.at(m_at + i));
        m_at += bytes;
        return value;
    }

    // A full box's version; its flags are kept in `flags`.
    int Version(quint32 *flags = nullptr)
    {
        const quint32 word = quint32(Next(4));
        if (flags)
            *flags = word & 0xFFFFFF;
        return int(word >> 24);
    }

private:
    const QByteArray &m_data;
    qint64 m_at;
    qint64 m_end;
};

struct Box
{
    QByteArray type;
    qint64 payload; // where the box's contents begin
    qint64 end;
};

// The boxes one after another in [begin, end), up to the first that does
// not fit.
std::vector<Box> Children(const QByteArray &data, qint64 begin, qint64 end)
{
    std::vector<Box> boxes;
    qint64 at = begin;
    while (at + 8 <= end) {
        Payload header(data, at, end);
        quint64 size = header.Next(4);
        const QByteArray type = data.mid(at + 4, 4);
        header.Next(4);
        if (size == 1)
            size = header.Next(8);
        else if (size == 0)
            size = quint64(end - at);
        const qint64 contents = header.at();
        if (size < quint64(contents - at) || size > quint64(end - at))
            break;
        boxes.push_back({type, contents, at + qint64(size)});
        at += qint64(size);
    }
    return boxes;
}

const Box *Find(const std::vector<Box> &boxes, const char *type)
{
    for (const Box &box : boxes)
        if (box.type == type)
            return &box;
    return nullptr;
}

qint64 SaturatingAdd(qint64 a, qint64 b)
{
    return a > std::numeric_limits<qint64>::max() - b ? std::numeric_limits<qint64>::max() : a + b;
}

class MetaReader
{
public:
    explicit MetaReader(const QByteArray &data)
        : m_data(data)
    {
    }

    void ReadPrimary(const Box *pitm)
    {
        if (!pitm)
            return;
        Payload p = At(*pitm);
        m_primary = quint32(p.Next(p.Version() == 0 ? 2 : 4));
    }

    qint64 ItemInfoCount(const Box *iinf)
    {
        if (!iinf)
            return 0;
        Payload p = At(*iinf);
        return qint64(p.Next(p.Version() == 0 ? 2 : 4));
    }

    qint64 LocationCount(const Box *iloc)
    {
        if (!iloc)
            return 0;
        Payload p = At(*iloc);
        const int version = p.Version();
        p.Next(2); // the field sizes
        return qint64(p.Next(version < 2 ? 2 : 4));
    }

    qint64 ReferenceCount(const Box *iref)
    {
        if (!iref)
            return 0;
        Payload p = At(*iref);
        const int idBytes = p.Version() == 0 ? 2 : 4;
        qint64 count = 0;
        for (const Box &reference : Children(m_data, p.at(), iref->end)) {
            Payload r(m_data, reference.payload, reference.end);
            r.Next(idBytes);
            count += qint64(r.Next(2));
        }
        return count;
    }

    // The sizes the `ispe` properties declare, by their 1-based index in
    // `ipco`.
    void ReadProperties(const Box *ipco)
    {
        if (!ipco)
            return;
        int index = 0;
        for (const Box &property : Children(m_data, ipco->payload, ipco->end)) {
            ++index;
            if (property.type != "ispe")
                continue;
            Payload p(m_data, property.payload, property.end);
            p.Version();
            const quint64 width = p.Next(4);
            const quint64 height = p.Next(4);
            m_sizes.insert(index, QSize(int(qMin<quint64>(width, INT_MAX)), int(qMin<quint64>(height, INT_MAX))));
        }
    }

    // Adds up the declared sizes the items are associated with, and finds
    // the primary item's; without associations, every declared size counts.
    void ReadAssociations(const Box *ipma, HeifContainer &container)
    {
        if (!ipma) {
            for (const QSize &size : std::as_const(m_sizes))
                container.declaredPixels = SaturatingAdd(container.declaredPixels, Area(size));
            return;
        }
        Payload p = At(*ipma);
        quint32 flags = 0;
        const int idBytes = p.Version(&flags) < 1 ? 2 : 4;
        const int indexBytes = flags & 1 ? 2 : 1;
        const quint32 entries = quint32(p.Next(4));
        for (quint32 entry = 0; entry < entries && p.Has(idBytes + 1); ++entry) {
            const quint32 item = quint32(p.Next(idBytes));
            const int associations = int(p.Next(1));
            for (int a = 0; a < associations && p.Has(indexBytes); ++a) {
                const int index = int(p.Next(indexBytes) & (indexBytes == 2 ? 0x7FFF : 0x7F));
                const auto size = m_sizes.constFind(index);
                if (size == m_sizes.cend())
                    continue;
                container.declaredPixels = SaturatingAdd(container.declaredPixels, Area(*size));
                if (item == m_primary)
                    container.primarySize = *size;
            }
        }
    }

private:
    Payload At(const Box &box) const { return Payload(m_data, box.payload, box.end); }
    static qint64 Area(QSize size) { return qint64(size.width()) * size.height(); }

    const QByteArray &m_data;
    quint32 m_primary = 0;
    QHash<int, QSize> m_sizes;
};

} // namespace

std::optional<HeifContainer> HeifContainer::Read(const QByteArray &data)
{
    const std::vector<Box> top = Children(data, 0, data.size());
    const Box *meta = Find(top, "meta");
    if (!meta || meta->payload + 4 > meta->end)
        return std::nullopt;
    const std::vector<Box> boxes = Children(data, meta->payload + 4, meta->end);
    MetaReader reader(data);
    HeifContainer container;
    reader.ReadPrimary(Find(boxes, "pitm"));
    container.items = qMax(reader.ItemInfoCount(Find(boxes, "iinf")), reader.LocationCount(Find(boxes, "iloc")));
    container.references = reader.ReferenceCount(Find(boxes, "iref"));
    if (const Box *iprp = Find(boxes, "iprp")) {
        const std::vector<Box> properties = Children(data, iprp->payload, iprp->end);
        reader.ReadProperties(Find(properties, "ipco"));
        reader.ReadAssociations(Find(properties, "ipma"), container);
    }
    return container;
}
