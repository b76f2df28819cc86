#include "tools/CubeArguments.h"

#include "components/pixlet/PictureDecoder.h"
#include "core/CubeFile.h"
#include "core/MessageIds.h"
#include "resources/StringTable.h"
#include "publish/CubeFromFaces.h"
#include "tools/Command.h"

#include <QCommandLineParser>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Plain literals: the commands ask for the options while they register.
constexpr auto kFace = QLatin1String("face");
constexpr auto kCaption = QLatin1String("caption");
constexpr auto kCube = QLatin1String("cube");

// Why a photo cannot go on a face, as the system or the image reader says it.
QString Unreadable(const QString &photo)
{
    QFile file(photo);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QImageReader reader(&file);
    return reader.canRead() ? QStringLiteral("not a picture that can be read") : reader.errorString();
}

void PrintUnreadable(int number, const QString &photo)
{
    if (PictureDecoder::TooLargeFile(photo)) {
        PrintErr(QStringLiteral("vexilo-cube: face %1: %2").arg(number).arg(LoadResString(Msg::PhotoTooLarge).arg(photo)));
        return;
    }
    PrintErr(QStringLiteral("vexilo-cube: face %1: %2: %3").arg(number).arg(photo, Unreadable(photo)));
}

// Why a document gives no cube to build.
QString DocumentProblem(const CubeFile::Reading &reading)
{
    switch (reading.status) {
    case CubeFile::Status::Unreadable:
        return reading.reason;
    case CubeFile::Status::Damaged:
        return QStringLiteral("not a cube document, or a damaged one");
    case CubeFile::Status::TooNew:
        return QStringLiteral("made by a newer version of Vexilo");
    case CubeFile::Status::Read:
        break;
    }
    return QString();
}

} // namespace

QList<QCommandLineOption> CubeArguments::Options()
{
    return QList<QCommandLineOption>{
               {kCube, QStringLiteral("start from the faces and caption of the cube document FILE (.vexilo)"),
             QStringLiteral("FILE")},
            {kFace, QStringLiteral("put the photo PATH on face N (1 to 6); repeat for more faces"),
             QStringLiteral("N=PATH")},
            {kCaption, QStringLiteral("the caption of the cube's page"), QStringLiteral("TEXT")}}
           + FramingArguments::Options();
}

QString CubeArguments::Read(const QCommandLineParser &parser)
{
    static const QRegularExpression faceArg(QStringLiteral("^([1-6])=(.+)$"));
    for (const QString &value : parser.values(kFace)) {
        const QRegularExpressionMatch m = faceArg.match(value);
        if (!m.hasMatch())
            return QStringLiteral("--face wants N=PATH with N from 1 to 6, not '%1'").arg(value);
        m_faces.append({m.captured(1).toInt(), m.captured(2)});
    }
    if (const QString problem = m_framing.Read(parser); !problem.isEmpty())
        return problem;
    if (parser.isSet(kCube) && parser.value(kCube).isEmpty())
        return QStringLiteral("--cube wants the FILE of a cube document");
    m_document = parser.value(kCube);
    if (parser.isSet(kCaption))
        m_caption = parser.value(kCaption);
    return QString();
}

int CubeArguments::PlaceOn(CubeFromFaces &cube) const
{
    if (!cube.isValid()) {
        PrintErr(QStringLiteral("vexilo-cube: no temporary folder for the work directory"));
        return ExitFailed;
    }
    if (!m_document.isEmpty() && !PlaceDocument(cube))
        return ExitFailed;
    if (m_caption)
        cube.SetCaption(*m_caption);
    for (const auto &[number, photo] : m_faces)
        if (!PlaceFace(cube, number, photo))
            return ExitFailed;
    return m_framing.FrameFaces(cube.cube());
}

bool CubeArguments::PlaceDocument(CubeFromFaces &cube) const
{
    const CubeFile::Reading reading = CubeFile::Load(m_document);
    if (reading.status != CubeFile::Status::Read) {
        PrintErr(QStringLiteral("vexilo-cube: cannot read the cube %1: %2").arg(m_document, DocumentProblem(reading)));
        return false;
    }
    // A face given on the command line replaces the document's, gone or not.
    bool gone = false;
    for (const auto &[index, photo] : reading.gonePhotos.asKeyValueRange()) {
        if (FaceGiven(index + 1))
            continue;
        PrintErr(QStringLiteral("vexilo-cube: %1: the photo %2 is gone: it is neither at its path nor beside the cube")
                     .arg(m_document, photo));
        gone = true;
    }
    if (gone)
        return false;
    cube.SetCaption(reading.content.caption);
    for (int index = 0; index < FaceCount; ++index) {
        const CubeFace &face = reading.content.faces[index];
        // A face given on the command line replaces the document's unread.
        if (FaceGiven(index + 1))
            continue;
        if (face.isPasted()) {
            cube.cube().SetFace(index, face);
        } else if (face.isPhoto()) {
            if (!PlaceFace(cube, index + 1, face.photo()))
                return false;
            cube.cube().SetFace(index, cube.cube().Face(index).Framed(face.framing()));
        }
    }
    return true;
}

bool CubeArguments::PlaceFace(CubeFromFaces &cube, int number, const QString &photo) const
{
    if (cube.SetFace(number, photo))
        return true;
    PrintUnreadable(number, photo);
    return false;
}

bool CubeArguments::FaceGiven(int number) const
{
    return std::any_of(m_faces.cbegin(), m_faces.cend(), [number](const auto &face) { return face.first == number; });
}

bool CubeArguments::Build(CubeFromFaces &cube, ProgressSink &progress, bool package) const
{
    if (cube.Build(progress, package))
        return true;
    const int number = cube.FaceWithoutPicture();
    if (number > 0 && cube.cube().Face(number - 1).isPhoto())
        PrintUnreadable(number, cube.cube().Face(number - 1).photo());
    return false;
}
