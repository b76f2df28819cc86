#include "mail/MailCube.h"

#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/Twips.h"
#include "mail/MailServer.h"
#include "mail/SignIn.h"
#include "publish/StepBars.h"
#include "resources/StringTable.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QLineEdit *makeBox(QWidget *parent, QRect where)
{
    auto *box = new QLineEdit(parent);
    box->setGeometry(where);
    return box;
}

QPushButton *makeButton(QWidget *parent, QRect where)
{
    auto *button = new QPushButton(parent);
    button->setGeometry(where);
    button->setAutoDefault(false);
    return button;
}

QLabel *makeRowLabel(QWidget *parent, QWidget *buddy)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setBuddy(buddy);
    return label;
}

// The added rows start where Directions was specified and line up with the
// labels and boxes above them.
constexpr int kAddedLeft = 120, kAddedTop = 1380, kBoxLeft = 1260, kBoxRight = 5010, kGap = 105;

} // namespace

MailCube::MailCube(const QString &workDirectory, QWidget *parent)
    : QDialog(parent)
    , m_workDirectory(workDirectory)
{
    ToLabel = TwipsLabel(this, 120, 30, 1065, 270);
    SendTo = makeBox(this, TwipsRect(1260, 30, 3750, 345));
    FromLabel = TwipsLabel(this, 75, 495, 1065, 270);
    From = makeBox(this, TwipsRect(1245, 480, 3750, 345));
    SubjectLabel = TwipsLabel(this, 90, 945, 1080, 270);
    Subject = makeBox(this, TwipsRect(1260, 930, 3750, 345));
    ToLabel->setBuddy(SendTo);
    FromLabel->setBuddy(From);
    SubjectLabel->setBuddy(Subject);

    m_added = new QWidget(this);
    auto *rows = new QGridLayout(m_added);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setHorizontalSpacing(0);
    rows->setColumnMinimumWidth(0, TwipsToPixels(kBoxLeft - kAddedLeft));
    rows->setColumnStretch(1, 1);
    rows->setVerticalSpacing(TwipsToPixels(kGap));
    Message = new QPlainTextEdit(m_added);
    Message->setTabChangesFocus(true);
    Message->setFixedHeight(Message->fontMetrics().lineSpacing() * 3 + 2 * Message->frameWidth()
                            + 2 * int(Message->document()->documentMargin()));
    MessageLabel = makeRowLabel(m_added, Message);
    SendAs = new QComboBox(m_added);
    SendAs->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    SendAsLabel = makeRowLabel(m_added, SendAs);
    ServerNote = makeRowLabel(m_added, nullptr);
    rows->addWidget(MessageLabel, 0, 0);
    rows->addWidget(Message, 0, 1);
    rows->addWidget(SendAsLabel, 1, 0);
    rows->addWidget(SendAs, 1, 1);
    rows->addWidget(ServerNote, 2, 1);

    Directions = TwipsLabel(this, 540, 1380, 4380, 780);
    ProgressStatus = TwipsLabel(this, 585, 1560, 4590, 240);
    ProgressStatus->hide();
    Bars = new StepBars(this);
    Bars->setGeometry(TwipsRect(612, 1800, 3420, 156));
    Send = makeButton(this, TwipsRect(735, 2295, 1215, 375));
    Send->setDefault(true);
    Cancel = makeButton(this, TwipsRect(2070, 2310, 1215, 375));
    Advanced = makeButton(this, TwipsRect(3420, 2310, 1215, 375));
    // A row of its own under the specified buttons.
    UseMailProgram = makeButton(this, TwipsRect(735, 2790, 3900, 375));
    for (QWidget *w :
         std::initializer_list<QWidget *>{Directions, ProgressStatus, Bars, Send, Cancel, Advanced, UseMailProgram})
        m_below.append({w, w->geometry()});

    connect(Send, &QPushButton::clicked, this, &MailCube::Send_Click);
    connect(Cancel, &QPushButton::clicked, this, &MailCube::Cancel_Click);
    connect(Advanced, &QPushButton::clicked, this, &MailCube::Advanced_Click);
    connect(UseMailProgram, &QPushButton::clicked, this, &MailCube::MailProgram_Click);
    connect(&mailProgram, &MailProgram::finished, this, &MailCube::MailProgram_Finished);
    connect(&session, &MailSession::connecting, this, &MailCube::Session_Connecting);
    connect(&session, &MailSession::status, this, &MailCube::Session_Status);
    connect(&session, &MailSession::step, this, &MailCube::Session_Step);
    connect(&session, &MailSession::stepsCleared, Bars, &StepBars::hideSteps);
    connect(&session, &MailSession::finished, this, &MailCube::Session_Finished);
    session.askSignIn = [this](SignInRequest &request) { return SignIn::Ask(request, this); };
    Form_Load();
}

void MailCube::Form_Load()
{
    Send->setText(LoadResString(Msg::SendButton));
    Cancel->setText(LoadResString(Msg::Cancel));
    ToLabel->setText(LoadResString(Msg::ToLabel));
    FromLabel->setText(LoadResString(Msg::FromLabel));
    SubjectLabel->setText(LoadResString(Msg::SubjectLabel));
    Directions->setText(LoadResString(Msg::SendDirections));
    setWindowTitle(LoadResString(Msg::SendTitle));
    Subject->setText(LoadResString(Msg::DefaultSubject));
    Advanced->setText(LoadResString(Msg::AdvancedButton));
    UseMailProgram->setText(LoadResString(Msg::MailProgramButton));
    session.sendState = MailSession::Idle;
    if (const QString from = Settings::instance().fromAddress(); !from.isEmpty())
        From->setText(from);
    Bars->hideSteps();
    MessageLabel->setText(LoadResString(Msg::PersonalMessageLabel));
    Message->setAccessibleName(QString(LoadResString(Msg::PersonalMessageLabel)).remove(QLatin1Char('&')));
    SendAsLabel->setText(LoadResString(Msg::SendAsLabel));
    for (int text : {Msg::SendAsWebPage, Msg::SendAsProgram, Msg::SendAsBoth})
        SendAs->addItem(LoadResString(text));
    SendAs->setAccessibleName(QString(LoadResString(Msg::SendAsLabel)).remove(QLatin1Char('&')));
    ChooseSendAs();
}

void MailCube::ChooseSendAs()
{
    const bool refuses = MailSession::ServerRefusesPrograms(Settings::instance().mailServer().server);
    SendAs->setCurrentIndex(refuses                          ? WebPageOnly
                            : MailSession::WebPageWanted() ? WebPageAndProgram
                                                           : ProgramOnly);
    ShowServerNote();
}

void MailCube::ShowServerNote()
{
    const QString server = Settings::instance().mailServer().server;
    ServerNote->setText(MessageText(Msg::ServerRefusesPrograms, {server}));
    ServerNote->setVisible(MailSession::ServerRefusesPrograms(server));
    Relayout();
}

// The added rows take the height they need at the font in use, and the
// dialog grows to fit them, never cutting a text.
void MailCube::Relayout()
{
    const int width = std::max(TwipsToPixels(kBoxRight - kAddedLeft), m_added->layout()->minimumSize().width());
    QLayout *rows = m_added->layout();
    rows->activate();
    const int height = rows->hasHeightForWidth() ? rows->heightForWidth(width) : rows->sizeHint().height();
    m_added->setGeometry(TwipsToPixels(kAddedLeft), TwipsToPixels(kAddedTop), width, height);
    m_addedHeight = height + TwipsToPixels(kGap);
    for (const auto &[widget, specified] : m_below)
        widget->setGeometry(specified.translated(0, m_addedHeight));
    UseMailProgram->resize(std::max(UseMailProgram->width(), UseMailProgram->sizeHint().width()),
                           UseMailProgram->height());
    const int right = std::max(m_added->geometry().right(), UseMailProgram->geometry().right()) + 1;
    setFixedSize(std::max(TwipsToPixels(5376), right + TwipsToPixels(5376 - kBoxRight)),
                 TwipsToPixels(2784 + 480) + m_addedHeight);
}

void MailCube::Send_Click()
{
    if (SendTo->text().isEmpty()) {
        ShowMessage(Msg::RecipientMissing);
        SendTo->setFocus();
        return;
    }
    SendTo->setText(NormalizeAddressList(SendTo->text()));
    if (From->text().isEmpty()) {
        ShowMessage(Msg::SenderMissing);
        From->setFocus();
        return;
    }
    MailSession::RememberSender(From->text());
    const int sendAs = SendAs->currentIndex();
    if (sendAs != WebPageOnly)
        MailSession::RememberWebPage(sendAs == WebPageAndProgram);
    session.Mail1.setCaCertificateFile(MailSession::SavedCaCertificateFile());
    session.Send(Order());
}

// The message as the dialog shows it, to the server the settings name.
MailOrder MailCube::Order() const
{
    const Settings &settings = Settings::instance();
    const MailServerChoice mailServer = settings.mailServer();
    MailOrder order{SendTo->text(), settings.fromAddress(), Subject->text(), QString(), mailServer.server,
                    mailServer.useDefault};
    order.message = Message->toPlainText();
    order.caption = caption;
    const int sendAs = SendAs->currentIndex();
    AttachCubeFiles(order, m_workDirectory, sendAs != WebPageOnly, sendAs != ProgramOnly);
    return order;
}

void MailCube::SetBusy(bool busy)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Send, Advanced, UseMailProgram, SendAs})
        w->setEnabled(!busy);
    Message->setReadOnly(busy);
}

void MailCube::Session_Connecting()
{
    SetBusy(true);
    Directions->hide();
    ProgressStatus->show();
    Bars->showStep(0);
}

void MailCube::Session_Status(int textId)
{
    ProgressStatus->setText(LoadResString(textId));
}

void MailCube::Session_Step(qint16 n)
{
    Bars->hideStep(n - 1);
    Bars->showStep(n);
    Bars->repaint();
}

// A sent cube closes the dialog. After a failure it stays as the user left
// it, the recipients, subject and choices all kept, ready to send again or
// to take up what the failure offered.
void MailCube::Session_Finished()
{
    if (session.messageAccepted()) {
        session.disconnect(this);
        done(QDialog::Rejected);
        return;
    }
    SetBusy(false);
    ProgressStatus->hide();
    Directions->show();
    Bars->hideSteps();
    if (ServerNote->isHidden() && MailSession::ServerRefusesPrograms(Settings::instance().mailServer().server))
        ChooseSendAs();
    // Not from inside the session's own report: the next send starts once
    // the failed one has wound down.
    const MailSession::Instead instead = session.instead();
    if (instead != MailSession::Instead::Nothing)
        QMetaObject::invokeMethod(this, [this, instead] { TakeUpInstead(instead); }, Qt::QueuedConnection);
}

void MailCube::TakeUpInstead(MailSession::Instead instead)
{
    if (instead == MailSession::Instead::SendWebPage) {
        SendAs->setCurrentIndex(WebPageOnly);
        Send_Click();
    } else if (instead == MailSession::Instead::UseMailProgram) {
        MailProgram_Click();
    }
}

// The same message, recipients and attachments, given to the desktop's mail
// program; no sender or server is needed.
void MailCube::MailProgram_Click()
{
    SendTo->setText(NormalizeAddressList(SendTo->text()));
    SetBusy(true);
    mailProgram.Hand(Order());
}

void MailCube::MailProgram_Finished(bool handed, int textId, const QString &reason)
{
    SetBusy(false);
    if (!handed) {
        ShowMessage(textId, {reason});
        return;
    }
    done(QDialog::Rejected);
    ShowMessage(Msg::HandedToMailProgram);
}

void MailCube::Cancel_Click()
{
    session.Cancel();
    done(QDialog::Rejected);
}

void MailCube::Advanced_Click()
{
    const QString server = Settings::instance().mailServer().server;
    MailServer dialog(this);
    ShowModal(dialog);
    if (Settings::instance().mailServer().server != server)
        ChooseSendAs();
}

void MailCube::reject()
{
    Cancel_Click();
}
