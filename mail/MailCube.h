#pragma once

#include "mail/MailProgram.h"
#include "mail/MailSession.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class StepBars;

// "Send Vexilo": recipients, sender, subject and a message, what the cube goes as,
// then the transfer through a mail session, with a progress bar and a
// status line. A failed send leaves everything as it was typed.
class MailCube : public QDialog
{
    Q_OBJECT
public:
    // The choices of SendAs, in their order.
    enum SendAsChoice {
        WebPageOnly,
        ProgramOnly,
        WebPageAndProgram
    };

    // Sends the Cube.exe and Cube.html that the work directory holds, with
    // its fold-out as the picture of the cube.
    explicit MailCube(const QString &workDirectory, QWidget *parent = nullptr);

    void Form_Load();
    void Send_Click();
    void Cancel_Click();
    void Advanced_Click();
    void MailProgram_Click();
    void MailProgram_Finished(bool handed, int textId, const QString &reason);

    // The session's reports.
    void Session_Connecting();
    void Session_Status(int textId);
    void Session_Step(qint16 n);
    void Session_Finished();

    // How far the rows below Subject moved down to make room for the rows
    // added there.
    int addedHeight() const { return m_addedHeight; }

    QLabel *ToLabel = nullptr;
    QLineEdit *SendTo = nullptr;
    QLabel *FromLabel = nullptr;
    QLineEdit *From = nullptr;
    QLabel *SubjectLabel = nullptr;
    QLineEdit *Subject = nullptr;
    QLabel *MessageLabel = nullptr;
    QPlainTextEdit *Message = nullptr;
    QLabel *SendAsLabel = nullptr;
    QComboBox *SendAs = nullptr;
    QLabel *ServerNote = nullptr;
    QLabel *Directions = nullptr;
    QLabel *ProgressStatus = nullptr;
    StepBars *Bars = nullptr;
    QPushButton *Send = nullptr;
    QPushButton *Cancel = nullptr;
    QPushButton *Advanced = nullptr;
    QPushButton *UseMailProgram = nullptr;

    MailSession session;
    MailProgram mailProgram;
    // The cube's caption, shown in the message under the picture of the cube.
    QString caption;

protected:
    // The close box and Escape act as Cancel.
    void reject() override;

private:
    // The choice that suits the server: the web page for one that refused
    // programs, else Cube.exe (with the web page when chosen before).
    void ChooseSendAs();
    void ShowServerNote();
    void Relayout();
    void TakeUpInstead(MailSession::Instead instead);
    MailOrder Order() const;
    void SetBusy(bool busy);

    QString m_workDirectory;
    QWidget *m_added = nullptr;
    QList<QPair<QWidget *, QRect>> m_below; // the specified rows under Subject, where they were specified
    int m_addedHeight = 0;
};
