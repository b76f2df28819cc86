#include "tools/CubeArguments.h"

#include "publish/CubeFromFaces.h"
#include "tools/Command.h"

#include <QCommandLineParser>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

namespace {

// Plain literals: the commands ask for the options while they register.
constexpr auto kFace = QLatin1String("face");
constexpr auto kCaption = QLatin1String("caption");

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
    PrintErr(QStringLiteral("vexilo-cube: face %1: %2: %3").arg(number).arg(photo, Unreadable(photo)));
}

} // namespace

QList<QCommandLineOption> CubeArguments::Options()
{
    return {{kFace, QStringLiteral("put the photo PATH on face N (1 to 6); repeat for more faces"),
             QStringLiteral("N=PATH")},
            {kCaption, QStringLiteral("the caption of the cube's page"), QStringLiteral("TEXT")}};
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
    m_caption = parser.value(kCaption);
    return QString();
}

bool CubeArguments::PlaceOn(CubeFromFaces &cube) const
{
    if (!cube.isValid()) {
        PrintErr(QStringLiteral("vexilo-cube: no temporary folder for the work directory"));
        return false;
    }
    cube.SetCaption(m_caption);
    for (const auto &[number, photo] : m_faces) {
        if (!cube.SetFace(number, photo)) {
            PrintUnreadable(number, photo);
            return false;
        }
    }
    return true;
}

bool CubeArguments::Build(CubeFromFaces &cube, ProgressSink &progress, bool package) const
{
    if (cube.Build(progress, package))
        return true;
    const int number = cube.FaceWithoutPicture();
    // The last --face of a number is the one on the cube.
    for (auto face = m_faces.crbegin(); face != m_faces.crend(); ++face)
        if (face->first == number) {
            PrintUnreadable(number, face->second);
            break;
        }
    return false;
}
