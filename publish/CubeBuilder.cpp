#include "publish/CubeBuilder.h"

#include "shell/AppPaths.h"
#include "shell/Globals.h"

#include <QDir>
#include <QFile>

QStringList CubeBuilder::PlainFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

void CubeBuilder::CopyTemplateFiles()
{
    const QString source = AppPaths::templateDirectory();
    for (const QString &name : PlainFiles(source)) {
        const QString target = AppPaths::join(gTempDirectory, name);
        QFile::remove(target);
        QFile::copy(AppPaths::join(source, name), target);
    }
    QFile::rename(AppPaths::join(gTempDirectory, QStringLiteral("vexilo.cls")),
                  AppPaths::join(gTempDirectory, QStringLiteral("imagevexilo.class")));
}

void CubeBuilder::PrepareWorkDirectory()
{
    const QString remembered = QDir::currentPath();
    buildFailed = false;
    if (!QDir::setCurrent(gTempDirectory)) {
        if (!QDir().mkdir(gTempDirectory))
            return;
        QDir::setCurrent(gTempDirectory);
    }
    CopyTemplateFiles();
    QStringList targets;
    for (const QString &name : PlainFiles(gTempDirectory))
        targets << AppPaths::join(gTempDirectory, name);
    gZipTargets = targets.join(QLatin1Char('|'));
    QDir::setCurrent(remembered);
}
