#include "platform/CdromDrives.h"

#include <QFile>

namespace {
// Mount points escape blanks, tabs, newlines and backslashes as \ooo.
bool isOctalEscape(const QByteArray &field, qsizetype at)
{
    if (field.at(at) != '\\' || at + 3 >= field.size())
        return false;
    for (qsizetype i = at + 1; i <= at + 3; ++i)
        if (field.at(i) < '0' || field.at(i) > '7')
            return false;
    return true;
}

QByteArray unescapeMountPoint(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (isOctalEscape(field, i)) {
            out += char(field.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
        } else {
            out += field.at(i);
        }
    }
    return out;
}
} // namespace

QStringList CdromDrives::discMountPoints(const QByteArray &mounts)
{
    QStringList points;
    for (const QByteArray &line : mounts.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        const QByteArray &type = fields.at(2);
        if (type == "iso9660" || type == "udf")
            points.append(QFile::decodeName(unescapeMountPoint(fields.at(1))));
    }
    points.sort();
    return points;
}

QStringList CdromDrives::roots()
{
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    QStringList roots = discMountPoints(mounts.open(QIODevice::ReadOnly) ? mounts.readAll() : QByteArray());
    roots += qEnvironmentVariable("VEXILO_CDROM_ROOTS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return roots;
}
