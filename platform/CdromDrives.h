#pragma once

#include <QByteArray>
#include <QStringList>

// The CD-ROM drives, as the roots of their discs: the mount points of
// iso9660 and udf file systems, sorted, followed by the folders listed in
// $VEXILO_CDROM_ROOTS (colon-separated, in their order). The demo and the
// tests put a disc in the drive through that variable.
class CdromDrives
{
public:
    static QStringList roots();
    // The disc mount points of a mounts table in the format of /proc/self/mounts.
    static QStringList discMountPoints(const QByteArray &mounts);
};
