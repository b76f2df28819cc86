#pragma once

#include <QString>

// Builds the cube's web files in the work directory: the page from the
// template, the six face images and the printable fold-out.
class CubeBuilder
{
public:
    // Fills the work directory from the template directory and records the
    // files it then holds in gZipTargets.
    void PrepareWorkDirectory();

    // The "|"-joined full paths of the work directory's files after
    // PrepareWorkDirectory; the files a package carries.
    QString gZipTargets;
    bool buildFailed = false;

    // Copies every plain file of the template directory into the work
    // directory and gives the cube player its page name.
    static void CopyTemplateFiles();
    static QStringList PlainFiles(const QString &dir);
};
