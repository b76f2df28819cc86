#include "tools/FramingArguments.h"

#include "core/CubeModel.h"
#include "core/FramedPicture.h"
#include "tools/Command.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

// Plain literals: the commands ask for the options while they register.
constexpr auto kFit = QLatin1String("fit");
constexpr auto kFill = QLatin1String("fill");
constexpr auto kCrop = QLatin1String("crop");
constexpr auto kTurn = QLatin1String("turn");

constexpr int AllFaces = 0;

// The face numbers an option's values name: 1 to 6, or AllFaces for "all".
std::optional<QList<int>> FaceNumbers(const QStringList &values)
{
    QList<int> numbers;
    for (const QString &value : values) {
        if (value == QLatin1String("all"))
            numbers << AllFaces;
        else if (value.size() == 1 && value[0] >= QLatin1Char('1') && value[0] <= QLatin1Char('6'))
            numbers << value.toInt();
        else
            return std::nullopt;
    }
    return numbers;
}

int NoPhoto(const QString &option, int number)
{
    PrintErr(QStringLiteral("vexilo-cube: --%1 %2: face %2 holds no photo").arg(option).arg(number));
    return ExitFailed;
}

} // namespace

QList<QCommandLineOption> FramingArguments::Options()
{
    return {{kFit, QStringLiteral("fit face N's whole picture inside the face, on white (N from 1 to 6, or all)"),
             QStringLiteral("N")},
            {kFill, QStringLiteral("fill face N with the middle square of its picture (N from 1 to 6, or all)"),
             QStringLiteral("N")},
            {kCrop,
             QStringLiteral("fill face N with the square of the upright photo whose top left corner is at X,Y and "
                            "whose edge is SIZE pixels"),
             QStringLiteral("N=X,Y,SIZE")},
            {kTurn, QStringLiteral("turn face N's picture clockwise by 90, 180 or 270 degrees (0 for upright)"),
             QStringLiteral("N=DEGREES")}};
}

QString FramingArguments::Read(const QCommandLineParser &parser)
{
    const auto fit = FaceNumbers(parser.values(kFit));
    if (!fit)
        return QStringLiteral("--fit wants a face N from 1 to 6, or all");
    const auto fill = FaceNumbers(parser.values(kFill));
    if (!fill)
        return QStringLiteral("--fill wants a face N from 1 to 6, or all");
    m_fit = *fit;
    m_fill = *fill;
    static const QRegularExpression cropArg(QStringLiteral("^([1-6])=(\\d{1,7}),(\\d{1,7}),(\\d{1,7})$"));
    for (const QString &value : parser.values(kCrop)) {
        const QRegularExpressionMatch m = cropArg.match(value);
        if (!m.hasMatch() || m.captured(4).toInt() < 1)
            return QStringLiteral("--crop wants N=X,Y,SIZE with N from 1 to 6 and SIZE at least 1, not '%1'").arg(value);
        const int size = m.captured(4).toInt();
        m_crops.append({m.captured(1).toInt(), QRect(m.captured(2).toInt(), m.captured(3).toInt(), size, size)});
    }
    static const QRegularExpression turnArg(QStringLiteral("^([1-6])=(0|90|180|270)$"));
    for (const QString &value : parser.values(kTurn)) {
        const QRegularExpressionMatch m = turnArg.match(value);
        if (!m.hasMatch())
            return QStringLiteral("--turn wants N=DEGREES with N from 1 to 6 and DEGREES 0, 90, 180 or 270, not '%1'")
                .arg(value);
        m_turns.append({m.captured(1).toInt(), m.captured(2).toInt()});
    }
    return QString();
}

int FramingArguments::FrameFaces(CubeModel &cube) const
{
    for (const auto step : {&FramingArguments::FitAndFill, &FramingArguments::CropFaces, &FramingArguments::TurnFaces})
        if (const int exit = (this->*step)(cube); exit != ExitDone)
            return exit;
    return ExitDone;
}

// "all" frames the faces that hold a picture and passes over the others;
// a face named by its number is framed after them, as named.
int FramingArguments::FitAndFill(CubeModel &cube) const
{
    for (const bool named : {false, true}) {
        for (const auto &[numbers, option] : {std::pair{&m_fit, kFit}, std::pair{&m_fill, kFill}}) {
            for (const int number : *numbers) {
                if ((number != AllFaces) != named)
                    continue;
                if (named && cube.Face(number - 1).isEmpty())
                    return NoPhoto(option, number);
                for (int index = 0; index < FaceCount; ++index)
                    if ((!named || number == index + 1) && !cube.Face(index).isEmpty())
                        FitOrFill(cube, index, option == kFit);
            }
        }
    }
    return ExitDone;
}

void FramingArguments::FitOrFill(CubeModel &cube, int index, bool fit)
{
    const CubeFace &face = cube.Face(index);
    cube.SetFace(index, face.Framed(fit ? face.framing().Fitted(FaceFraming::Backdrop::White) : face.framing().Filled()));
}

int FramingArguments::CropFaces(CubeModel &cube) const
{
    for (const auto &[number, square] : m_crops) {
        const CubeFace &face = cube.Face(number - 1);
        if (face.isEmpty())
            return NoPhoto(kCrop, number);
        const QSize upright = FramedPicture::UprightSizeOf(face);
        if (!QRect(QPoint(), upright).contains(square)) {
            PrintErr(QStringLiteral("vexilo-cube: --crop %1: the square %2,%3,%4 is not inside face %1's photo, "
                                    "which is %5 x %6 pixels upright")
                         .arg(number)
                         .arg(square.left())
                         .arg(square.top())
                         .arg(square.width())
                         .arg(upright.width())
                         .arg(upright.height()));
            return ExitUsage;
        }
        if (square.width() < FaceFraming::SmallestSquare(upright)) {
            PrintErr(QStringLiteral("vexilo-cube: --crop %1: the square's SIZE must be at least %2 pixels, so that "
                                    "no photo pixel prints larger than a pixel of the %3-pixel face")
                         .arg(number)
                         .arg(FaceFraming::SmallestSquare(upright))
                         .arg(FaceFraming::PrintEdge));
            return ExitUsage;
        }
        cube.SetFace(number - 1, face.Framed(face.framing().Filled(square)));
    }
    return ExitDone;
}

int FramingArguments::TurnFaces(CubeModel &cube) const
{
    for (const auto &[number, degrees] : m_turns) {
        const CubeFace &face = cube.Face(number - 1);
        if (face.isEmpty())
            return NoPhoto(kTurn, number);
        cube.SetFace(number - 1, face.Turned(degrees - face.turn()));
    }
    return ExitDone;
}
