#include "core/AppPaths.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {
QString &programDirOverride()
{
    static QString dir;
    return dir;
}
QString &pathAtStart()
{
    static QString path;
    return path;
}
bool &pathRemembered()
{
    static bool remembered = false;
    return remembered;
}
} // namespace

QString AppPaths::programDirectory()
{
    if (!programDirOverride().isEmpty())
        return programDirOverride();
    return QCoreApplication::applicationDirPath();
}

void AppPaths::setProgramDirectory(const QString &dir)
{
    programDirOverride() = dir;
}

QString AppPaths::templateDirectory()
{
    return programDirectory() + QStringLiteral("/Template");
}

QString AppPaths::savedPath()
{
    return pathRemembered() ? pathAtStart() : qEnvironmentVariable("PATH");
}

void AppPaths::rememberPath()
{
    if (pathRemembered())
        return;
    pathAtStart() = qEnvironmentVariable("PATH");
    pathRemembered() = true;
}

bool AppPaths::isDrivePath(const QString &path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:\\\\"));
    return drive.match(path).hasMatch();
}

QString AppPaths::join(const QString &dir, const QString &name)
{
    const QChar sep = isDrivePath(dir) ? QLatin1Char('\\') : QLatin1Char('/');
    if (dir.endsWith(sep))
        return dir + name;
    return dir + sep + name;
}
