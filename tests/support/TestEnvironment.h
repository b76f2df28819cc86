#pragma once

#include <QString>
#include <QTemporaryDir>

// A private world for one test: home, config, cache and registry folders in
// a temporary folder, and the built application folder as the program's own.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    QString root() const { return m_dir.path(); }
    QString registryDir() const;
    QString home() const;
    QString path(const QString &relative) const;

    // Writes a hive file of the registry folder (user.reg or system.reg).
    void writeHive(const QString &file, const QByteArray &text) const;
    QByteArray readHive(const QString &file) const;

    static QString sourceDir();
    static QString appDir();

private:
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

// Writes a file, creating its folder; returns its path.
QString WriteFile(const QString &path, const QByteArray &bytes);
QByteArray ReadFile(const QString &path);
