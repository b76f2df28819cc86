#pragma once

#include "components/mmail/MimeMessage.h"
#include "components/mmail/SmtpEndpoint.h"
#include "components/mmail/SmtpReplyReader.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QTimer>

#include <future>
#include <optional>

class QHostInfo;
class QSslError;
class QSslSocket;
class QTcpSocket;

// Our SMTP control, standing in for the mail component the send dialog
// hosts ("MailLib.mMail"). The program composes a message through the
// content and header members and starts operations by writing their codes
// to the action member; connect, send and disconnect then run in the
// background and end with Done, or with AsyncError and an error number.
//
// Each member carries the dispatch id the program knows it by.
// Events are queued: they arrive on the object's thread, one at a time
// (the next waits until the handler of the last has returned), and never
// before the call that started the operation has returned.
class MMail : public QObject
{
    Q_OBJECT
public:
    // Operation codes, written to the action member (id 3).
    enum Operation {
        AddPart = 2, // append the current part to the message
        Connect = 3, // reach the server, greet it; ends with Done
        EndEntity = 4, // close the current entity: a multipart one becomes the message's container
        OpenMultipart = 5, // add the current part, a multipart one; the parts added next go inside it
        CloseMultipart = 6, // the parts added next go after the multipart part opened last
        NewPart = 7, // the next content writes describe a new part
        Disconnect = 8, // say QUIT and close; ends with Done
        LoadFile = 9, // read the content file into the current part
        NewMessage = 11, // forget the last message and the last error
        Send = 15, // send the composed message; Progress, then Done
    };

    // Error numbers: Windows Sockets numbers for network failures, and
    // three of our own (see docs/mail.md).
    enum Error : qint16 {
        NoError = 0,
        MessageRefused = 1101, // the server refused the sender, a recipient or the message
        ServiceRefused = 10025, // the server offers no service we can use
        AddressNotAvailable = 10049, // the server's port is not a valid port
        ConnectionAborted = 10053,
        TimedOut = 10060,
        ConnectionRefused = 10061,
        HostUnreachable = 10065,
        HostNotFound = 11001,
        TryAgain = 11002,
        NoAddress = 11004,
        TransferStalled = 20008, // the server stopped taking the message's bytes
        CertificateRejected = 20101, // the server's certificate failed the checks
        SecureConnectionUnavailable = 20102, // STARTTLS required but not offered, or refused
        SecureConnectionFailed = 20103, // the TLS handshake failed or was cut off
        SignInMethodUnsupported = 20104, // neither PLAIN nor LOGIN offered
        SignInRefused = 20105, // the server refused the sign-in for another reason
        WebSignInRequired = 20106, // 534: the provider wants a sign-in on its web site first
        InsecureSignIn = 20107, // a password asked for over plain text to another machine
        AddressNotAscii = 20108, // an address mail servers cannot take
        AddressTooLong = 20109, // an address longer than mail servers take
        AttachmentUnreadable = 20110, // a part's file could not be read, or changed, while sending
        SecureConnectionNotStarted = 20111, // TLS required, and EHLO (the only way to ask for it) refused
        DataRefused = 20112, // the server refused the message itself, its reply to the data
    };

    explicit MMail(QObject *parent = nullptr);
    ~MMail() override;

    bool setAction(int operation); // id 3
    void setContentDisposition(const QString &value); // id 6
    void setContentSubType(const QString &value); // id 8
    void setContentParameters(const QString &value); // id 9
    void setContentTransferEncoding(const QString &value); // id 10
    void setContentType(const QString &value); // id 11
    QString date() const; // id 12
    bool setDate(const QString &value); // id 12
    void setMode(qint16 value) { m_mode = value; } // id 13, kept: the message is always MIME
    bool setSender(const QString &value); // id 15, envelope sender (MAIL FROM)
    void setFlags(qint32 value) { m_flags = value; } // id 16, kept: no flag changes the transfer
    bool setFrom(const QString &value); // id 17, From header
    int headerCount() const; // id 19, extra header lines so far
    bool setServer(const QString &value); // id 20, see SmtpEndpoint
    void setContentFile(const QString &path); // id 27
    bool setSubject(const QString &value); // id 28
    bool setTo(const QString &value); // id 30, "," separated
    bool setBoundary(const QString &value); // id 32
    // id 33: 0 STARTTLS when offered, else only when the server text requires it
    void setTlsPolicy(int value) { m_tlsPolicy = value; }
    int lastError() const { return m_lastError; } // id 42
    void abort(); // id 58
    bool setHeaderLine(int index, const QString &line); // id 59
    bool setBodyText(int index, const QString &text); // id 61
    // Our own: the Content-ID of the current part ("<id@domain>").
    bool setContentId(const QString &value);

    qint16 mode() const { return m_mode; }
    qint32 flags() const { return m_flags; }
    QString server() const { return m_server; }
    const MimeMessage &message() const { return m_message; }

    // Our own settings: how long to wait for a connection and for each
    // reply (or, while sending, for the server to take more bytes), and how
    // long one operation (connect, send, disconnect) may take in all, so that
    // a server that answers a byte at a time cannot hold a transfer for ever.
    void setConnectTimeout(int ms) { m_connectTimeout = ms; }
    void setReplyTimeout(int ms) { m_replyTimeout = ms; }
    void setOperationDeadline(int ms) { m_operationDeadline = ms; }
    // Certificates (PEM) trusted instead of the system's authorities, as
    // curl's --cacert does.
    void setCaCertificateFile(const QString &path) { m_caFile = path; }

    // The answer to SignInNeeded: false when no sign-in is awaited or the
    // user name or password holds a CR, LF or NUL.
    bool signIn(const QString &user, const QString &password);
    // The text of the last failure: the server's answer or the TLS reason.
    QString lastErrorText() const { return m_lastErrorText; }

    static constexpr quint16 DefaultPort = 25;

signals:
    void Done();
    void Progress(qint32 Numerator, qint32 Denominator);
    void AsyncError(qint16 ErrorCode, const QString &ErrorMessage);
    void Debug(const QString &Message);
    // The server wants a sign-in: answer with signIn(), or abort(). Reason is
    // the server's answer to a refused attempt, empty the first time.
    void SignInNeeded(const QString &User, const QString &Reason);
    // The server accepted the sign-in.
    void SignedIn();

private:
    enum class Phase {
        Idle,
        Resolving,
        Connecting,
        Greeting,
        Ehlo,
        Helo,
        StartTls,
        Handshake,
        AwaitingSignIn,
        AuthLoginUser,
        AuthLoginPassword,
        AuthResult,
        Ready,
        MailFrom,
        RcptTo,
        DataCommand,
        Data,
        EndOfData,
        Quit
    };
    struct Event
    {
        enum Kind {
            DoneEvent,
            ProgressEvent,
            ErrorEvent,
            DebugEvent,
            SignInEvent,
            SignedInEvent
        } kind;
        qint32 numerator = 0, denominator = 0;
        qint16 code = 0;
        QString text;
    };

    bool compose(int operation);
    QList<MimeEntity> &openParts();
    void loadTlsMeanwhile();
    void startConnect();
    void startSend();
    void startDisconnect();
    void onLookedUp(const QHostInfo &info);
    void connectToAddresses(const QList<QHostAddress> &addresses);
    void connectToNextAddress();
    void attachSocket(QTcpSocket *socket);
    void startTls();
    bool moveToTlsSocket();
    QSslSocket *tlsSocket() const;
    void onConnected();
    void onReadyRead();
    void onBytesWritten(qint64 bytes);
    void onEncryptedBytesWritten();
    void onSocketError();
    void onDisconnected();
    void onTimeout();
    void onDeadline();
    void handleReply(int code, const QStringList &lines);
    void afterEhlo(const QStringList &lines);
    bool checkAddresses();
    void prepareTls();
    void onEncrypted();
    void onSslErrors(const QList<QSslError> &errors);
    void failHandshake();
    bool wantsStartTls(bool offered) const;
    QStringList advertisedMechanisms() const;
    void beginSignIn(bool resumeMail);
    void handleSignInReply(int code, const QString &text);
    void sendSecret(const QByteArray &command, const QByteArray &shown, Phase next);
    void startMailFrom();
    void sendCommand(const QByteArray &command, Phase next);
    void sendNextRecipient();
    void fillSocket();
    void finishPhase();
    void fail(qint16 code, const QString &text);
    // Ends whatever is under way: the lookup, the timer, the connection.
    void stop();
    void closeSocket();
    void post(Event event);
    void dispatchNext();

    MimeMessage m_message;
    MimeEntity m_part;
    QList<qsizetype> m_openMultiparts; // where each open multipart part is, from the message's parts in
    QString m_contentFile;
    QString m_sender;
    QString m_server;
    QString m_caFile;
    qint16 m_mode = 0;
    qint32 m_flags = 0;
    int m_tlsPolicy = 0;
    qint16 m_lastError = NoError;
    QString m_lastErrorText;
    int m_connectTimeout = 30000;
    int m_replyTimeout = 120000;
    int m_operationDeadline = 10 * 60000;

    Phase m_phase = Phase::Idle;
    // A plain TCP socket until the connection is to be encrypted: the TLS
    // library is loaded only for connections that use it.
    QTcpSocket *m_socket = nullptr;
    QTimer m_timer;
    QTimer m_deadline;
    SmtpReplyReader m_reader;
    int m_lookupId = -1;
    QString m_host;
    quint16 m_port = DefaultPort;
    SmtpEndpoint m_endpoint;
    QList<QSslCertificate> m_extraCas;
    std::future<QList<QSslCertificate>> m_tlsLoaded;
    QString m_sslErrorText;
    QStringList m_capabilities; // the last EHLO's keywords
    QString m_signInUser;
    QString m_password; // only while a LOGIN sign-in needs it
    QByteArray m_mechanism; // "PLAIN" or "LOGIN"
    bool m_signedIn = false;
    bool m_resumeMail = false; // the sign-in was asked for by MAIL FROM
    QList<QHostAddress> m_addresses;
    qint16 m_lastConnectError = ConnectionRefused;
    bool m_tlsActive = false;
    QStringList m_recipients;
    qsizetype m_nextRecipient = 0;
    std::optional<MimeMessage::Stream> m_stream;
    QByteArray m_chunk; // the next bytes for the socket, reused
    qint64 m_dataWritten = 0;
    int m_lastPercent = -1;

    QList<Event> m_events;
    bool m_dispatching = false;
    bool m_dispatchScheduled = false;
};
