#include "editor/FramingDialog.h"

#include "core/MessageIds.h"
#include "editor/FaceFramer.h"
#include "editor/FramingView.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
QString Plain(int textId)
{
    return LoadResString(textId).remove(QLatin1Char('&')).remove(QChar(0x2026));
}
} // namespace

FramingDialog::FramingDialog(const FaceFramer &framer, const FaceFraming &framing, const FaceFraming &reset,
                             QWidget *parent)
    : QDialog(parent)
    , m_framer(framer)
    , m_reset(reset)
{
    setWindowTitle(LoadResString(Msg::FramePhotoStep));
    View = new FramingView(framer, this);
    Face = new QLabel(this);
    Face->setFixedSize(FaceEdge, FaceEdge);
    Face->setAccessibleName(Plain(Msg::FramePhotoStep));
    auto *hint = new QLabel(LoadResString(Msg::FramingHint), this);
    hint->setWordWrap(true);
    Fill = new QRadioButton(LoadResString(Msg::FillFace), this);
    Fit = new QRadioButton(LoadResString(Msg::FitFace), this);
    Blurred = new QCheckBox(LoadResString(Msg::BlurredBackdrop), this);
    auto *turnLeft = new QPushButton(LoadResString(Msg::TurnLeft), this);
    auto *turnRight = new QPushButton(LoadResString(Msg::TurnRight), this);
    auto *resetButton = new QPushButton(LoadResString(Msg::ResetFraming), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *side = new QVBoxLayout;
    for (QWidget *control : std::initializer_list<QWidget *>{Face, Fill, Fit, Blurred, turnLeft, turnRight, resetButton})
        side->addWidget(control);
    side->addStretch();
    auto *layout = new QGridLayout(this);
    layout->addWidget(View, 0, 0);
    layout->addLayout(side, 0, 1);
    layout->addWidget(hint, 1, 0, 1, 2);
    layout->addWidget(buttons, 2, 0, 1, 2);

    connect(View, &FramingView::framingChanged, this, &FramingDialog::View_Change);
    connect(Fill, &QRadioButton::clicked, this, &FramingDialog::Fill_Click);
    connect(Fit, &QRadioButton::clicked, this, &FramingDialog::Fit_Click);
    connect(Blurred, &QCheckBox::clicked, this, &FramingDialog::Blurred_Click);
    connect(turnLeft, &QPushButton::clicked, this, &FramingDialog::TurnLeft_Click);
    connect(turnRight, &QPushButton::clicked, this, &FramingDialog::TurnRight_Click);
    connect(resetButton, &QPushButton::clicked, this, &FramingDialog::Reset_Click);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Show(framing);
    View->setFocus();
}

void FramingDialog::Show(const FaceFraming &framing)
{
    m_framing = framing;
    View->setFraming(framing);
    Fill->setChecked(framing.mode == FaceFraming::Mode::Fill);
    Fit->setChecked(framing.mode == FaceFraming::Mode::Fit);
    Blurred->setChecked(framing.backdrop == FaceFraming::Backdrop::Blurred);
    Blurred->setEnabled(framing.mode == FaceFraming::Mode::Fit);
    Face->setPixmap(QPixmap::fromImage(m_framer.Picture(framing, FaceEdge)));
}

void FramingDialog::View_Change(const FaceFraming &framing)
{
    Show(framing);
}

void FramingDialog::Fill_Click()
{
    Show(m_framing.Filled(m_framing.square));
}

void FramingDialog::Fit_Click()
{
    Show(m_framing.Fitted(m_framing.backdrop));
}

void FramingDialog::Blurred_Click()
{
    Show(m_framing.Fitted(Blurred->isChecked() ? FaceFraming::Backdrop::Blurred : FaceFraming::Backdrop::White));
}

void FramingDialog::TurnLeft_Click()
{
    Show(m_framing.Turned(-90));
}

void FramingDialog::TurnRight_Click()
{
    Show(m_framing.Turned(90));
}

void FramingDialog::Reset_Click()
{
    Show(m_reset);
}
