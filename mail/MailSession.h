#pragma once

#include "components/mmail/MMail.h"
#include "mail/MailComposer.h"
#include "mail/MailSignIn.h"
#include "mail/PasswordStore.h"

#include <QObject>

#include <memory>
#include <optional>

// One sending of a cube message through the mail control: the message is
// composed, then sent in three phases (connect, send, disconnect), each ended
// by the control's Done. The session reports its status line, its progress
// step and its end; the send dialog and the command line show them. Once
// ended it hears nothing more from the control until the next Send.
class MailSession : public QObject
{
    Q_OBJECT
public:
    // The phases, in the numbers the program has always kept them in.
    enum SendState : qint16 {
        Idle = 0,
        Sending = 1,
        Connecting = 2,
        Disconnecting = 3
    };

    // What the user chose to do instead after a failure that offered it.
    enum class Instead {
        Nothing,
        SendWebPage, // the server refused Cube.exe: the same message with the web page only
        UseMailProgram // the server takes no sign-in we have: the desktop's mail program
    };

    explicit MailSession(QObject *parent = nullptr);

    // Composes the message and starts connecting. False when the message
    // could not be composed or the connection not started: the user has
    // been told and the session has ended.
    bool Send(const MailOrder &order);
    // Ends the session now; a transfer under way is aborted without a word.
    void Cancel();

    // True once the server has accepted the message.
    bool messageAccepted() const { return sendState == Disconnecting; }
    // After a failure: what the user chose to do instead.
    Instead instead() const { return m_instead; }

    // The control's events.
    void Mail1_Done();
    void Mail1_Progress(qint32 Numerator, qint32 Denominator);
    void Mail1_AsyncError(qint16 ErrorCode, const QString &ErrorMessage);
    void Mail1_Debug(const QString &Message);
    void Mail1_SignInNeeded(const QString &User, const QString &Reason);
    void Mail1_SignedIn();

    void ShowProgressStep(qint16 n);
    // The message for a transport error number; 0 for the silent ones.
    static int MailErrorMessage(int errorNumber);
    static void ShowMailError(int errorNumber);
    // The same, naming the server and the reason where the message has room.
    static void ShowMailError(int errorNumber, const QString &server, const QString &reason);
    // The sender becomes the one offered next time.
    static void RememberSender(const QString &address);
    // Whether Cube.html goes with Cube.exe ("AttachWebPage", off unless set).
    static bool WebPageWanted();
    static void RememberWebPage(bool wanted);
    // Authorities trusted instead of the system's ("CACertFile"), for testing.
    static QString SavedCaCertificateFile();
    // Whether the server refused Cube.exe before (kept by host name).
    static bool ServerRefusesPrograms(const QString &server);

    MMail Mail1;
    SendState sendState = Idle;
    qint16 progressFrame = 0;
    qint16 progressValue = 0;
    // Where the Date header's time comes from.
    MailClock clock = SystemClock;
    // Who is asked for a password the server wants; nobody when empty.
    SignInAsker askSignIn;
    // A password given for this send only (the command line's).
    std::optional<QString> givenPassword;
    // Who signs in, when not the user the server text names or the sender.
    QString signInUser;
    bool useSecretStore = true;
    PasswordStore passwords;

signals:
    // Composition is done and connecting starts.
    void connecting();
    void status(int textId);
    // Step picture n (1 to 10) replaces the one before it.
    void step(qint16 n);
    void stepsCleared();
    void finished();

private:
    void Listen();
    bool Fail();
    void End();
    Instead ShowFailure(qint16 errorCode, const QString &reason);
    static QString ServerHost(const QString &server);
    void EndSignIn(int textId, const QStringList &arguments);

    std::unique_ptr<MailSignIn> m_signIn;
    MailOrder m_order;
    Instead m_instead = Instead::Nothing;
};
