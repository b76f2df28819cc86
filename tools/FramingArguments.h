#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QRect>
#include <QString>

class CubeModel;
class QCommandLineParser;

// How build and send frame the faces: "--fit N" and "--fill N" (N a face
// from 1 to 6, or "all"), "--crop N=X,Y,SIZE" for the square of the upright
// photo that face N shows, and "--turn N=DEGREES". They are applied in
// that order, after the faces are placed; a face named by its number is
// fitted or filled after "all".
class FramingArguments
{
public:
    static QList<QCommandLineOption> Options();

    // Takes the options from the parsed arguments; the problem in words
    // when one is malformed, else the empty text.
    QString Read(const QCommandLineParser &parser);

    // Frames the cube's faces: ExitDone, else the exit code with the reason
    // on standard error (a face without a photo, a square outside its photo).
    int FrameFaces(CubeModel &cube) const;

private:
    struct Crop
    {
        int number;
        QRect square;
    };
    struct Turn
    {
        int number;
        int degrees;
    };

    int FitAndFill(CubeModel &cube) const;
    static void FitOrFill(CubeModel &cube, int index, bool fit);
    int CropFaces(CubeModel &cube) const;
    int TurnFaces(CubeModel &cube) const;

    QList<int> m_fit;
    QList<int> m_fill;
    QList<Crop> m_crops;
    QList<Turn> m_turns;
};
