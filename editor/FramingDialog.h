#pragma once

#include "core/FaceFraming.h"

#include <QDialog>

class FaceFramer;
class FramingView;
class QCheckBox;
class QLabel;
class QRadioButton;

// The larger framing view: the photo with its face's square over it, the
// face as it will show, and the framing's commands. The framing chosen is
// one step once accepted.
class FramingDialog : public QDialog
{
    Q_OBJECT
public:
    // reset: the framing Reset Framing returns to.
    FramingDialog(const FaceFramer &framer, const FaceFraming &framing, const FaceFraming &reset,
                  QWidget *parent = nullptr);

    const FaceFraming &framing() const { return m_framing; }

    // Handlers of the dialog's controls.
    void Fill_Click();
    void Fit_Click();
    void Blurred_Click();
    void TurnLeft_Click();
    void TurnRight_Click();
    void Reset_Click();
    void View_Change(const FaceFraming &framing);

    FramingView *View = nullptr;
    QLabel *Face = nullptr;
    QRadioButton *Fill = nullptr;
    QRadioButton *Fit = nullptr;
    QCheckBox *Blurred = nullptr;

private:
    static constexpr int FaceEdge = 154;

    void Show(const FaceFraming &framing);

    const FaceFramer &m_framer;
    FaceFraming m_framing;
    FaceFraming m_reset;
};
