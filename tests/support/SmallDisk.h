#pragma once

#include <QString>

// A tiny file system of its own (tmpfs) mounted on a temporary folder, for
// tests of full-disk behaviour. Mounting needs root; where it is refused,
// isMounted() is false and the test skips.
class SmallDisk
{
public:
    SmallDisk(const QString &mountPoint, int kilobytes);
    ~SmallDisk();
    bool isMounted() const { return m_mounted; }
    QString path() const { return m_mountPoint; }
    // Fills the disk up so that no further byte can be written.
    void fill() const;

private:
    QString m_mountPoint;
    bool m_mounted = false;
};
