#include "publish/CubeFromFaces.h"

#include "core/Globals.h"
#include "publish/CubeJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <filesystem>

CubeFromFaces::CubeFromFaces()
{
    ResetFaceModel();
    gTempDirectory = workDirectory();
    Pixlet1.setBackColor(Qt::white);
    Pixlet1.setMember11(64);
}

QString CubeFromFaces::workDirectory() const
{
    return m_base.path() + QStringLiteral("/CubeTemp");
}

bool CubeFromFaces::SetFace(int number, const QString &photo)
{
    if (number < 1 || number > FaceCount || !QFileInfo(photo).isFile() || !QImageReader(photo).canRead())
        return false;
    gFaceSource[number - 1] = QFileInfo(photo).absoluteFilePath();
    gFaceChanged[number - 1] = True;
    return true;
}

bool CubeFromFaces::Build(ProgressSink &progress, bool package)
{
    gTempDirectory = workDirectory();
    builder.PrepareWorkDirectory();
    CubeJob job(builder, {LEAD1, PrintImage, PrintSource, Pixlet1}, progress);
    return job.BuildFiles(m_caption) && (!package || job.Package());
}

QList<CubeSave::CopyFailure> CubeFromFaces::CopyTo(const QString &dir) const
{
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(dir).toStdString(), error);
    if (!error && !QFileInfo(dir).isDir())
        error = std::make_error_code(std::errc::not_a_directory);
    if (!error)
        return CubeSave::CopyPlainFiles(workDirectory(), QDir(dir).absolutePath());
    QList<CubeSave::CopyFailure> all;
    for (const QString &name : CubeBuilder::PlainFiles(workDirectory()))
        all.append({name, QString::fromStdString(error.message())});
    return all;
}
