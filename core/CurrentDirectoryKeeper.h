#pragma once

#include <QDir>
#include <QString>

// Gives the current directory back when it goes, whatever changed it meanwhile.
class CurrentDirectoryKeeper
{
public:
    CurrentDirectoryKeeper()
        : m_path(QDir::currentPath())
    {
    }
    ~CurrentDirectoryKeeper() { QDir::setCurrent(m_path); }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper &) = delete;
    CurrentDirectoryKeeper &operator=(const CurrentDirectoryKeeper &) = delete;

private:
    QString m_path;
};
