#pragma once

#include "mail/MailSession.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class StepBars;

// "Send Vexilo": recipients, sender and subject, then the transfer through
// a mail session, with a progress bar and a status line.
class MailCube : public QDialog
{
    Q_OBJECT
public:
    // Sends the Cube.exe (and Cube.html) that the work directory holds.
    explicit MailCube(const QString &workDirectory, QWidget *parent = nullptr);

    void Form_Load();
    void Send_Click();
    void Cancel_Click();
    void Advanced_Click();

    // The session's reports.
    void Session_Connecting();
    void Session_Status(int textId);
    void Session_Step(qint16 n);
    void Session_Finished();

    QLabel *ToLabel = nullptr;
    QLineEdit *SendTo = nullptr;
    QLabel *FromLabel = nullptr;
    QLineEdit *From = nullptr;
    QLabel *SubjectLabel = nullptr;
    QLineEdit *Subject = nullptr;
    QLabel *Directions = nullptr;
    QCheckBox *WebPage = nullptr;
    QLabel *ProgressStatus = nullptr;
    StepBars *Bars = nullptr;
    QPushButton *Send = nullptr;
    QPushButton *Cancel = nullptr;
    QPushButton *Advanced = nullptr;

    MailSession session;

protected:
    // The close box and Escape act as Cancel.
    void reject() override;

private:
    QString m_workDirectory;
};
