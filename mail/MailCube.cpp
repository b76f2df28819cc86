#include "mail/MailCube.h"

#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/Twips.h"
#include "mail/MailServer.h"
#include "mail/SignIn.h"
#include "publish/StepBars.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
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

} // namespace

MailCube::MailCube(const QString &workDirectory, QWidget *parent)
    : QDialog(parent)
    , m_workDirectory(workDirectory)
{
    // The specified dialog, with one row below it for the web page choice.
    setFixedSize(TwipsToPixels(5376), TwipsToPixels(2784 + 360));
    ToLabel = TwipsLabel(this, 120, 30, 1065, 270);
    SendTo = makeBox(this, TwipsRect(1260, 30, 3750, 345));
    FromLabel = TwipsLabel(this, 75, 495, 1065, 270);
    From = makeBox(this, TwipsRect(1245, 480, 3750, 345));
    SubjectLabel = TwipsLabel(this, 90, 945, 1080, 270);
    Subject = makeBox(this, TwipsRect(1260, 930, 3750, 345));
    ToLabel->setBuddy(SendTo);
    FromLabel->setBuddy(From);
    SubjectLabel->setBuddy(Subject);
    Directions = TwipsLabel(this, 540, 1380, 4380, 780);
    ProgressStatus = TwipsLabel(this, 585, 1560, 4590, 240);
    ProgressStatus->hide();
    Bars = new StepBars(this);
    Bars->setGeometry(TwipsRect(612, 1800, 3420, 156));
    Send = makeButton(this, TwipsRect(735, 2295, 1215, 375));
    Send->setDefault(true);
    Cancel = makeButton(this, TwipsRect(2070, 2310, 1215, 375));
    Advanced = makeButton(this, TwipsRect(3420, 2310, 1215, 375));
    WebPage = new QCheckBox(this);
    WebPage->setGeometry(TwipsRect(735, 2760, 4560, 300));

    connect(Send, &QPushButton::clicked, this, &MailCube::Send_Click);
    connect(Cancel, &QPushButton::clicked, this, &MailCube::Cancel_Click);
    connect(Advanced, &QPushButton::clicked, this, &MailCube::Advanced_Click);
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
    session.sendState = MailSession::Idle;
    if (const QString from = Settings::instance().fromAddress(); !from.isEmpty())
        From->setText(from);
    Bars->hideSteps();
    WebPage->setText(LoadResString(Msg::AttachWebPage));
    WebPage->setChecked(MailSession::WebPageWanted());
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
    MailSession::RememberWebPage(WebPage->isChecked());
    session.Mail1.setCaCertificateFile(MailSession::SavedCaCertificateFile());
    const QString webPage =
        WebPage->isChecked() ? AppPaths::join(m_workDirectory, QStringLiteral("Cube.html")) : QString();
    const Settings &settings = Settings::instance();
    const MailServerChoice mailServer = settings.mailServer();
    session.Send({SendTo->text(), settings.fromAddress(), Subject->text(),
                  AppPaths::join(m_workDirectory, QStringLiteral("Cube.exe")), mailServer.server,
                  mailServer.useDefault, webPage});
}

void MailCube::Session_Connecting()
{
    Send->setEnabled(false);
    Advanced->setEnabled(false);
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

// Once closed, the dialog hears nothing more from the session.
void MailCube::Session_Finished()
{
    session.disconnect(this);
    done(QDialog::Rejected);
}

void MailCube::Cancel_Click()
{
    session.Cancel();
}

void MailCube::Advanced_Click()
{
    MailServer dialog(this);
    ShowModal(dialog);
}

void MailCube::reject()
{
    Cancel_Click();
}
