#include "publish/CubeWorkFolder.h"

#include <QDir>
#include <QFileInfo>

const char CubeWorkFolder::NamePattern[] = "vexilo-cube-XXXXXX";

namespace {
const QString kOwnerLock = QStringLiteral("/owner.lock");
}

CubeWorkFolder::CubeWorkFolder()
    : m_folder(FreshTemplate())
{
    if (!m_folder.isValid())
        return;
    m_owner = std::make_unique<QLockFile>(m_folder.path() + kOwnerLock);
    m_owner->setStaleLockTime(0);
    m_owner->tryLock(0);
}

// The template for a new folder, once the abandoned ones are gone.
QString CubeWorkFolder::FreshTemplate()
{
    RemoveAbandoned();
    return QDir::temp().filePath(QString::fromLatin1(NamePattern));
}

// A folder whose owner lock can be taken belongs to a process that is gone.
// Folders without a lock file yet are being made right now and are left.
void CubeWorkFolder::RemoveAbandoned()
{
    const QString prefix = QString::fromLatin1(NamePattern).remove(QStringLiteral("XXXXXX"));
    const QDir temp = QDir::temp();
    for (const QString &name : temp.entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = temp.filePath(name);
        if (!QFileInfo::exists(folder + kOwnerLock))
            continue;
        QLockFile owner(folder + kOwnerLock);
        owner.setStaleLockTime(0);
        if (owner.tryLock(0)) {
            owner.unlock();
            QDir(folder).removeRecursively();
        }
    }
}
