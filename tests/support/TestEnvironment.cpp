#include "tests/support/TestEnvironment.h"

#include "core/AppPaths.h"
#include "core/MessageBox.h"
#include "resources/Resources.h"
#include "tests/support/PressolaRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestEnvironment::TestEnvironment()
    : m_savedPath(qgetenv("PATH"))
{
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QDir(m_dir.path()).mkpath(QStringLiteral("registry"));
    qputenv("HOME", home().toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/home/.config")).toUtf8());
    qputenv("XDG_CACHE_HOME", (m_dir.path() + QStringLiteral("/home/.cache")).toUtf8());
    qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/home/.local/share")).toUtf8());
    qputenv("VEXILO_REGISTRY_DIR", registryDir().toUtf8());
    qputenv("VEXILO_CDROM_ROOTS", QByteArray());
    AppPaths::setProgramDirectory(appDir());
    InitResources();
    MessageSeam::reset();
    RegisterPressolaControl();
}

TestEnvironment::~TestEnvironment()
{
    qputenv("PATH", m_savedPath);
    MessageSeam::reset();
}

QString TestEnvironment::registryDir() const
{
    return m_dir.path() + QStringLiteral("/registry");
}

QString TestEnvironment::home() const
{
    return m_dir.path() + QStringLiteral("/home");
}

QString TestEnvironment::path(const QString &relative) const
{
    return m_dir.path() + QLatin1Char('/') + relative;
}

void TestEnvironment::writeHive(const QString &file, const QByteArray &text) const
{
    WriteFile(registryDir() + QLatin1Char('/') + file, text);
    // The machine hive holds the button control's registration: keep it.
    if (file == QLatin1String("system.reg"))
        RegisterPressolaControl();
}

QByteArray TestEnvironment::readHive(const QString &file) const
{
    return ReadFile(registryDir() + QLatin1Char('/') + file);
}

QString TestEnvironment::sourceDir()
{
    return qEnvironmentVariable("VEXILO_SOURCE_DIR");
}

QString TestEnvironment::appDir()
{
    return qEnvironmentVariable("VEXILO_APP_DIR");
}

QString WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
