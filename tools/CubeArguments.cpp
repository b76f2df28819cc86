#include "tools/CubeArguments.h"

#include "publish/CubeFromFaces.h"
#include "tools/Command.h"

#include <QRegularExpression>

bool CubeArguments::AddFace(const QString &value)
{
    static const QRegularExpression faceArg(QStringLiteral("^([1-6])=(.+)$"));
    const QRegularExpressionMatch m = faceArg.match(value);
    if (!m.hasMatch())
        return false;
    m_faces.append({m.captured(1).toInt(), m.captured(2)});
    return true;
}

bool CubeArguments::PlaceFaces(CubeFromFaces &cube) const
{
    if (!cube.isValid()) {
        PrintErr(QStringLiteral("vexilo-cube: no temporary folder for the work directory"));
        return false;
    }
    for (const auto &[number, photo] : m_faces) {
        if (!cube.SetFace(number, photo)) {
            PrintErr(
                QStringLiteral("vexilo-cube: face %1: %2 is not a picture that can be read").arg(number).arg(photo));
            return false;
        }
    }
    return true;
}
