// A whole SMTP session: the mail control connects, sends a message and says
// QUIT to a peer on 127.0.0.1 that answers from the input. The first byte
// picks the server's form and whether a sign-in is answered; the rest,
// split at NUL bytes, is what the peer writes: the greeting, then one piece
// after each command line (none inside the message's data). Whatever the
// replies, the session must end, report success only for a message whose
// end the peer received, and never send the envelope in plain text when
// the server's form requires TLS (the peer cannot start it).
#include "components/mmail/MMail.h"
#include "fuzz/FuzzCheck.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

class Peer
{
public:
    explicit Peer(QList<QByteArray> replies)
        : m_replies(std::move(replies))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { Accept(); });
    }

    quint16 port() const { return m_server.serverPort(); }
    bool sawEndOfData() const { return m_sawEndOfData; }
    bool sawEnvelope() const { return m_sawEnvelope; }

private:
    void Accept()
    {
        QTcpSocket *socket = m_server.nextPendingConnection();
        if (!socket)
            return;
        socket->setParent(&m_server);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
        WriteNext(socket);
    }

    void Read(QTcpSocket *socket)
    {
        m_buffer += socket->readAll();
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QByteArray line = m_buffer.left(end + 1);
            m_buffer.remove(0, end + 1);
            m_sawEndOfData = m_sawEndOfData || (m_sawData && line == ".\r\n");
            if (m_inData) {
                if (line == ".\r\n") {
                    m_inData = false;
                    WriteNext(socket);
                }
                continue;
            }
            const QByteArray command = line.left(4).toUpper();
            m_sawEnvelope = m_sawEnvelope || command == "MAIL" || command == "RCPT";
            m_sawData = m_sawData || command == "DATA";
            const QByteArray reply = WriteNext(socket);
            m_inData = command == "DATA" && reply.startsWith('3');
        }
    }

    // Writes the next piece, or hangs up when there is none.
    QByteArray WriteNext(QTcpSocket *socket)
    {
        if (m_next >= m_replies.size()) {
            socket->disconnectFromHost();
            return {};
        }
        const QByteArray reply = m_replies.at(m_next++);
        socket->write(reply);
        return reply;
    }

    QTcpServer m_server;
    QList<QByteArray> m_replies;
    qsizetype m_next = 0;
    QByteArray m_buffer;
    bool m_inData = false;
    bool m_sawData = false;
    bool m_sawEndOfData = false;
    bool m_sawEnvelope = false;
};

void Compose(MMail &mail)
{
    mail.setAction(MMail::NewMessage);
    mail.setFrom(QStringLiteral("a@example.org"));
    mail.setTo(QStringLiteral("b@example.org, c@example.org"));
    mail.setSubject(QStringLiteral("Cube"));
    mail.setContentType(QStringLiteral("text"));
    mail.setContentSubType(QStringLiteral("plain"));
    mail.setBodyText(0, QStringLiteral("Hello\r\n.\r\nthere"));
}

// The user's Cancel: the session ends without a report.
void Abandon(MMail &mail, QEventLoop &loop)
{
    mail.abort();
    loop.quit();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_smtp_session";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size < 1)
        return 0;
    const bool tlsRequired = data[0] & 1;
    const bool answersSignIn = data[0] & 2;
    Peer peer(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)).split('\0'));

    MMail mail;
    Compose(mail);
    const QString address = QStringLiteral("127.0.0.1:") + QString::number(peer.port());
    mail.setServer(tlsRequired ? QStringLiteral("smtp://") + address : address);
    mail.setConnectTimeout(200);
    mail.setReplyTimeout(50);
    mail.setOperationDeadline(400);
    QEventLoop loop;
    int done = 0;
    bool sent = false;
    QObject::connect(&mail, &MMail::Done, &loop, [&] {
        ++done;
        if (done == 1) {
            mail.setAction(MMail::Send);
        } else if (done == 2) {
            sent = true;
            mail.setAction(MMail::Disconnect);
        } else {
            loop.quit();
        }
    });
    QObject::connect(&mail, &MMail::AsyncError, &loop, &QEventLoop::quit);
    int signIns = 0;
    QObject::connect(&mail, &MMail::SignInNeeded, &loop, [&](const QString &user, const QString &) {
        if (answersSignIn && signIns++ < 2)
            mail.signIn(user.isEmpty() ? QStringLiteral("zoe") : user, QStringLiteral("secret"));
        else
            Abandon(mail, loop);
    });
    // Three operations of 0.4 seconds at most each: a session that
    // outlives them is a hang.
    bool hung = false;
    QTimer::singleShot(5000, &loop, [&] {
        hung = true;
        loop.quit();
    });
    if (mail.setAction(MMail::Connect))
        loop.exec();
    // The peer may not yet have read the last lines the session wrote.
    for (int i = 0; i < 100 && sent && !peer.sawEndOfData(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    FUZZ_CHECK(!hung);
    FUZZ_CHECK(!sent || peer.sawEndOfData());
    FUZZ_CHECK(!tlsRequired || !peer.sawEnvelope());
    return 0;
}
