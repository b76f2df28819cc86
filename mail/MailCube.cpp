#include "mail/MailCube.h"

#include "mail/MailServer.h"
#include "platform/registry/RegEdit.h"
#include "publish/ProgressBar.h"
#include "resources/StringTable.h"
#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace {

QLabel *makeLabel(QWidget *parent, QRect where)
{
    auto *label = new QLabel(parent);
    label->setGeometry(where);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

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

MailCube::MailCube(QWidget *parent)
    : QDialog(parent)
{
    setFixedSize(TwipsToPixels(5376), TwipsToPixels(2784));
    ToLabel = makeLabel(this, TwipsRect(120, 30, 1065, 270));
    SendTo = makeBox(this, TwipsRect(1260, 30, 3750, 345));
    FromLabel = makeLabel(this, TwipsRect(75, 495, 1065, 270));
    From = makeBox(this, TwipsRect(1245, 480, 3750, 345));
    SubjectLabel = makeLabel(this, TwipsRect(90, 945, 1080, 270));
    Subject = makeBox(this, TwipsRect(1260, 930, 3750, 345));
    ToLabel->setBuddy(SendTo);
    FromLabel->setBuddy(From);
    SubjectLabel->setBuddy(Subject);
    Directions = makeLabel(this, TwipsRect(540, 1380, 4380, 780));
    ProgressStatus = makeLabel(this, TwipsRect(585, 1560, 4590, 240));
    ProgressStatus->hide();
    for (int i = 0; i <= 10; ++i) {
        bar[i] = new ProgressBar(i, this);
        bar[i]->setGeometry(TwipsRect(612, 1800, 3420, 156));
    }
    Send = makeButton(this, TwipsRect(735, 2295, 1215, 375));
    Send->setDefault(true);
    Cancel = makeButton(this, TwipsRect(2070, 2310, 1215, 375));
    Advanced = makeButton(this, TwipsRect(3420, 2310, 1215, 375));

    connect(Send, &QPushButton::clicked, this, &MailCube::Send_Click);
    connect(Cancel, &QPushButton::clicked, this, &MailCube::Cancel_Click);
    connect(Advanced, &QPushButton::clicked, this, &MailCube::Advanced_Click);
    connect(&Mail1, &MMail::Done, this, &MailCube::Mail1_Done);
    connect(&Mail1, &MMail::Progress, this, &MailCube::Mail1_Progress);
    connect(&Mail1, &MMail::AsyncError, this, &MailCube::Mail1_AsyncError);
    connect(&Mail1, &MMail::Debug, this, &MailCube::Mail1_Debug);
    Form_Load();
}

void MailCube::Form_Load()
{
    Send->setText(LoadResString(56));
    Cancel->setText(LoadResString(3));
    ToLabel->setText(LoadResString(58));
    FromLabel->setText(LoadResString(59));
    SubjectLabel->setText(LoadResString(60));
    Directions->setText(LoadResString(61));
    setWindowTitle(LoadResString(57));
    Subject->setText(LoadResString(62));
    Advanced->setText(LoadResString(74));
    sendState = 0;
    if (!gFromAddress.isEmpty())
        From->setText(gFromAddress);
    for (ProgressBar *b : bar)
        b->hide();
}

void MailCube::Send_Click()
{
    if (SendTo->text().isEmpty()) {
        ShowMessage(68);
        SendTo->setFocus();
        return;
    }
    SendTo->setText(NormalizeAddressList(SendTo->text()));
    if (From->text().isEmpty()) {
        ShowMessage(69);
        From->setFocus();
        return;
    }
    gFromAddress = From->text();
    SetRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\Norvane\\Vexilo"), QStringLiteral("FromAddress"), gFromAddress);

    MailComposer composer(Mail1, clock);
    const MailOrder order{SendTo->text(), gFromAddress, Subject->text(),
                          AppPaths::join(gTempDirectory, QStringLiteral("Cube.exe")), gMailServer, gUseDefaultServer == True};
    if (!composer.Compose(order))
        return SendFailed();

    sendState = 2;
    Send->setEnabled(false);
    Advanced->setEnabled(false);
    Directions->hide();
    ProgressStatus->show();
    bar[0]->show();
    progressValue = 0;
    SetStatus(66);
    ShowProgressStep(1);

    if (!Mail1.setAction(MMail::Connect))
        return SendFailed();
    Mail1.setFlags(64);
}

void MailCube::SendFailed()
{
    if (Mail1.lastError() != 0)
        ShowMailError(Mail1.lastError());
    else
        ShowMessage(84);
    unsetCursor();
    Send->setEnabled(true);
    Advanced->setEnabled(true);
    CloseDialog();
}

void MailCube::Mail1_Done()
{
    unsetCursor();
    switch (sendState) {
    case 2:
        sendState = 1;
        Mail1.setFlags(64);
        Mail1.setAction(MMail::Send);
        SetStatus(63);
        ShowProgressStep(1);
        break;
    case 1:
        SetStatus(64);
        ShowProgressStep(10);
        sendState = 3;
        Mail1.setAction(MMail::Disconnect);
        break;
    case 3:
        SetStatus(65);
        ShowProgressStep(10);
        CloseDialog();
        if (progressValue == 10)
            ShowMessage(85);
        break;
    default:
        break;
    }
}

void MailCube::Mail1_Progress(qint32 Numerator, qint32 Denominator)
{
    // A report that is no fraction of the message (Denominator 0 among
    // them) leaves the bar and progressValue as they are.
    if (Denominator <= 0 || Numerator < 0 || Numerator > Denominator)
        return;
    const double p = std::nearbyint(double(Numerator) / double(Denominator) * 100.0);
    progressValue = qint16(p);
    if (p > 10) {
        const qint16 s = qint16(std::nearbyintf(float(p) / 10.0f));
        progressValue = s;
        if (s > progressFrame)
            ShowProgressStep(s);
    }
}

void MailCube::Mail1_AsyncError(qint16 ErrorCode, const QString &)
{
    for (ProgressBar *b : bar)
        b->hide();
    ShowMailError(ErrorCode);
    if (sendState == 1)
        Mail1.setAction(MMail::Disconnect);
    CloseDialog();
}

void MailCube::Mail1_Debug(const QString &)
{
}

void MailCube::Cancel_Click()
{
    if (sendState == 1)
        Mail1.abort();
    CloseDialog();
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

void MailCube::ShowProgressStep(qint16 n)
{
    if (n < 1 || n > 10)
        return;
    bar[n - 1]->hide();
    bar[n]->show();
    bar[n]->repaint();
    progressFrame = n;
}

int MailCube::MailErrorMessage(int errorNumber)
{
    switch (errorNumber) {
    case -1:
    case 10064:
        return 0;
    case 1101:
    case 10025:
    case 10063:
        return 81;
    case 10043:
    case 10049:
    case 10053:
    case 10058:
    case 10061:
        return 78;
    case 10050:
    case 10091:
        return 77;
    case 10051:
        return 80;
    case 10060:
    case 10065:
    case 11002:
    case 11004:
    case 20008:
        return 79;
    default:
        return 76;
    }
}

void MailCube::ShowMailError(int errorNumber)
{
    if (const int message = MailErrorMessage(errorNumber))
        ShowMessage(message);
}

void MailCube::SetStatus(int textId)
{
    ProgressStatus->setText(LoadResString(textId));
}

// Once closed, the dialog hears nothing more from the control.
void MailCube::CloseDialog()
{
    Mail1.disconnect(this);
    done(QDialog::Rejected);
}
