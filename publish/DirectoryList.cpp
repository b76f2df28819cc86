#include "publish/DirectoryList.h"

#include <QDir>
#include <QFileIconProvider>
#include <QStorageInfo>

namespace {
constexpr int PathRole = Qt::UserRole;
}

DirectoryList::DirectoryList(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, &DirectoryList::activate);
    connect(this, &QListWidget::itemClicked, this, [this] { emit click(); });
}

void DirectoryList::setPath(const QString &dir)
{
    QDir target(QDir::cleanPath(QDir(dir).absolutePath()));
    while (!target.exists() && !target.isRoot())
        target.setPath(QDir::cleanPath(target.absolutePath() + QStringLiteral("/..")));
    const QString path = target.absolutePath();
    const bool changed = path != m_path;
    m_path = path;
    fill();
    if (changed)
        emit change();
}

void DirectoryList::fill()
{
    clear();
    QFileIconProvider icons;
    const QIcon folder = icons.icon(QFileIconProvider::Folder);
    QStringList chain;
    for (QDir d(m_path);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    auto add = [&](const QString &path, const QString &label, int indent) {
        auto *item = new QListWidgetItem(folder, QString(indent * 2, QLatin1Char(' ')) + label, this);
        item->setData(PathRole, path);
        return item;
    };
    for (const QString &path : chain) {
        QListWidgetItem *item = add(path, depth == 0 ? path : QDir(path).dirName(), depth);
        if (path == m_path)
            setCurrentItem(item);
        ++depth;
    }
    const QDir current(m_path);
    for (const QString &name : current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        add(current.filePath(name), name, depth);
}

void DirectoryList::activate(QListWidgetItem *item)
{
    if (item)
        setPath(item->data(PathRole).toString());
}

QStringList DirectoryList::Drives()
{
    QStringList drives{QDir::homePath()};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !drives.contains(volume.rootPath()))
            drives << volume.rootPath();
    return drives;
}
