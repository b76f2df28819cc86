#include "tests/support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <sys/mount.h>

SmallDisk::SmallDisk(const QString &mountPoint, int kilobytes)
    : m_mountPoint(mountPoint)
{
    QDir().mkpath(mountPoint);
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    m_mounted = ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_mountPoint).constData(), MNT_DETACH);
}

void SmallDisk::fill() const
{
    QFile filler(m_mountPoint + QStringLiteral("/.filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // Top up the last partial block byte by byte.
    while (filler.write("x", 1) == 1 && filler.flush()) {
    }
}
