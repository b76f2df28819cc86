#pragma once

#include "components/mmail/MMail.h"
#include "mail/MailComposer.h"

#include <QDialog>

class ProgressBar;
class QLabel;
class QLineEdit;
class QPushButton;

// "Send Vexilo": recipients, sender and subject, then the transfer through
// the mail control in three phases, with a progress bar and a status line.
class MailCube : public QDialog
{
    Q_OBJECT
public:
    explicit MailCube(QWidget *parent = nullptr);

    void Form_Load();
    void Send_Click();
    void Cancel_Click();
    void Advanced_Click();

    void Mail1_Done();
    void Mail1_Progress(qint32 Numerator, qint32 Denominator);
    void Mail1_AsyncError(qint16 ErrorCode, const QString &ErrorMessage);
    void Mail1_Debug(const QString &Message);

    void ShowProgressStep(qint16 n);
    // The message for a transport error number; 0 for the silent ones.
    static int MailErrorMessage(int errorNumber);
    static void ShowMailError(int errorNumber);

    // True once the server has accepted the message.
    bool messageAccepted() const { return sendState == 3; }

    QLabel *ToLabel = nullptr;
    QLineEdit *SendTo = nullptr;
    QLabel *FromLabel = nullptr;
    QLineEdit *From = nullptr;
    QLabel *SubjectLabel = nullptr;
    QLineEdit *Subject = nullptr;
    QLabel *Directions = nullptr;
    QLabel *ProgressStatus = nullptr;
    ProgressBar *bar[11] = {};
    QPushButton *Send = nullptr;
    QPushButton *Cancel = nullptr;
    QPushButton *Advanced = nullptr;
    MMail Mail1;

    // 0 idle, 2 connecting, 1 sending, 3 disconnecting.
    qint16 sendState = 0;
    qint16 progressFrame = 0;
    qint16 progressValue = 0;

    // Where the Date header's time comes from.
    MailClock clock = SystemClock;

protected:
    // The close box and Escape act as Cancel.
    void reject() override;

private:
    void SendFailed();
    void CloseDialog();
    void SetStatus(int textId);
};
