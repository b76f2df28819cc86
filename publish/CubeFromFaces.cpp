#include "publish/CubeFromFaces.h"

#include "components/pixlet/PictureDecoder.h"
#include "publish/CubeJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

CubeFromFaces::CubeFromFaces()
{
    builder.setWorkDirectory(workDirectory());
    Pixlet1.setBackColor(Qt::white);
    Pixlet1.setMember11(64);
}

QString CubeFromFaces::workDirectory() const
{
    return m_base.path() + QStringLiteral("/CubeTemp");
}

bool CubeFromFaces::SetFace(int number, const QString &photo)
{
    if (number < 1 || number > FaceCount || !QFileInfo(photo).isFile() || !PictureDecoder::ProbeFile(photo))
        return false;
    m_cube.SetFace(number - 1, CubeFace::Photo(photo));
    return true;
}

bool CubeFromFaces::Build(ProgressSink &progress, bool package)
{
    const CubeControls controls{PrintImage, PrintSource, Pixlet1};
    // The photos are decoded while the work directory is filled, which is
    // done once: a later build keeps the faces it made.
    builder.StartPrintPictures(m_cube, controls);
    if (!m_prepared) {
        builder.PrepareWorkDirectory();
        m_prepared = true;
    }
    CubeJob job(builder, controls, progress);
    return job.BuildFiles(m_cube) && FaceWithoutPicture() == 0 && (!package || job.Package());
}

int CubeFromFaces::FaceWithoutPicture() const
{
    const QList<int> &faces = builder.FacesWithoutPicture();
    return faces.isEmpty() ? 0 : faces.first() + 1;
}

CubeSave::Failure CubeFromFaces::CopyTo(const QString &dir) const
{
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(dir).toStdString(), error);
    if (error)
        return {QDir::toNativeSeparators(dir), qt_error_string(error.value())};
    return CubeSave::CopyPlainFiles(workDirectory(), QDir(dir).absolutePath());
}
