#pragma once

#include <QLockFile>
#include <QTemporaryDir>

#include <memory>

// A folder of its own under TMPDIR for a cube built without the editor. It
// goes when the object goes; one left behind by a process that was killed
// is removed by the next one made.
class CubeWorkFolder
{
public:
    CubeWorkFolder();

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }

    // The name pattern of these folders under TMPDIR.
    static const char NamePattern[];

private:
    static QString FreshTemplate();
    static void RemoveAbandoned();

    QTemporaryDir m_folder;
    std::unique_ptr<QLockFile> m_owner;
};
