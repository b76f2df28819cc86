#pragma once

#include <QRect>
#include <QtMath>

class QLabel;
class QWidget;

// Layouts are given in twips; 15 twips are one pixel at the design resolution.
constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(int twips)
{
    return qRound(double(twips) / TwipsPerPixel);
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

// A label at its place in twips, its text wrapped from the top left, as the
// forms' labels are.
QLabel *TwipsLabel(QWidget *parent, int left, int top, int width, int height);
