#pragma once

#include <QListWidget>

// A directory list: the folders from the root down to the current path,
// then the path's subfolders, one level further in. A double click (or
// Enter) on a folder makes it the path; a single click only selects.
class DirectoryList : public QListWidget
{
    Q_OBJECT
public:
    explicit DirectoryList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Goes to dir, or to its nearest existing parent when dir does not exist.
    void setPath(const QString &dir);

    // The places a drive list offers: the mounted file systems and the home
    // folder, home first.
    static QStringList Drives();

signals:
    void change(); // the path changed
    void click(); // a folder was clicked

private:
    void fill();
    void activate(QListWidgetItem *item);

    QString m_path;
};
