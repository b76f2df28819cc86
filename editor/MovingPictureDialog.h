#pragma once

#include "publish/MovingPicture.h"

#include <QDialog>

class QComboBox;
class QSpinBox;

// The choices for a moving picture of the cube: its format, its size and
// how long one turn takes.
class MovingPictureDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MovingPictureDialog(QWidget *parent = nullptr);

    MovingPicture::Options options() const;
    // The save dialog's filter for the chosen format.
    QString fileFilter() const;

    QComboBox *Format = nullptr;
    QComboBox *Size = nullptr;
    QSpinBox *Seconds = nullptr;
};
