#pragma once

#include "publish/MovingPicture.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;

// The choices for a moving picture of the cube: its format, its size and
// how long one turn takes.
class MovingPictureDialog : public QDialog
{
    Q_OBJECT
public:
    // caption: the cube's, offered to be drawn under it when there is one.
    explicit MovingPictureDialog(const QString &caption, QWidget *parent = nullptr);

    MovingPicture::Options options() const;
    // The save dialog's filter for the chosen format.
    QString fileFilter() const;

    QComboBox *Format = nullptr;
    QComboBox *Size = nullptr;
    QSpinBox *Seconds = nullptr;
    QCheckBox *ShowCaption = nullptr;

private:
    QString m_caption;
};
