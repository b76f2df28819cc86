#include "tests/support/ScriptedPeer.h"

#include <QTcpSocket>

ScriptedPeer::ScriptedPeer(Fault fault, const QHostAddress &address)
    : m_fault(fault)
{
    m_server.listen(address);
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedPeer::onConnection);
    m_trickle.setInterval(1);
    connect(&m_trickle, &QTimer::timeout, this, &ScriptedPeer::writeNextByte);
}

QString ScriptedPeer::server() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort());
}

void ScriptedPeer::onConnection()
{
    m_socket = m_server.nextPendingConnection();
    connect(m_socket, &QTcpSocket::readyRead, this, &ScriptedPeer::onReadyRead);
    switch (m_fault) {
    case NoGreeting:
        break;
    case Greeting421:
        reply("421 peer Service not available, closing transmission channel\r\n");
        m_socket->disconnectFromHost();
        break;
    case HugeReplyLine:
        reply("220 " + QByteArray(100 * 1024, 'x') + "\r\n");
        break;
    default:
        reply("220 peer ESMTP ready\r\n");
    }
}

void ScriptedPeer::onReadyRead()
{
    m_buffer += m_socket->readAll();
    while (m_socket) {
        if (m_inData) {
            const qsizetype end = m_buffer.indexOf("\r\n.\r\n");
            if (m_fault == HangUpInData && m_buffer.size() > 1000) {
                m_socket->abort();
                m_socket = nullptr;
                return;
            }
            if (end < 0)
                return;
            m_data = m_buffer.left(end + 2);
            m_buffer.remove(0, end + 5);
            m_inData = false;
            m_accepted = m_fault != Refuse552AfterData;
            reply(m_accepted ? "250 2.0.0 queued\r\n" : "552 5.3.4 Message size exceeds fixed maximum\r\n");
            continue;
        }
        const qsizetype end = m_buffer.indexOf("\r\n");
        if (end < 0)
            return;
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 2);
        m_commands << QString::fromUtf8(line);
        answer(line);
    }
}

QByteArray ScriptedPeer::ehloReply() const
{
    switch (m_fault) {
    case StartTlsRefused:
    case HangUpInHandshake:
        return "250-peer greets you\r\n250 STARTTLS\r\n";
    case WebSignInRequired:
    case SignInAskedFor:
        return "250-peer greets you\r\n250 AUTH PLAIN LOGIN\r\n";
    case OnlyCramAndOAuth:
        return "250-peer greets you\r\n250 AUTH CRAM-MD5 XOAUTH2\r\n";
    default:
        return "250-peer greets you\r\n250-SIZE 100000000\r\n250 8BITMIME\r\n";
    }
}

void ScriptedPeer::answer(const QByteArray &line)
{
    const QByteArray verb = line.left(4).toUpper();
    if (verb == "EHLO" && m_fault == EhloRefused)
        reply("502 5.5.1 EHLO not implemented\r\n");
    else if (verb == "EHLO")
        reply(ehloReply());
    else if (verb == "HELO")
        reply("250 peer\r\n");
    else if (verb == "STAR" && m_fault == StartTlsRefused)
        reply("454 4.7.0 TLS not available due to temporary reason\r\n");
    else if (verb == "STAR" && m_fault == HangUpInHandshake) {
        reply("220 2.0.0 Ready to start TLS\r\n");
        m_socket->disconnectFromHost();
        m_socket = nullptr;
    } else if (verb == "AUTH" && m_fault == WebSignInRequired)
        reply("534 5.7.9 Please log in with your web browser and then try again\r\n");
    else if (verb == "AUTH") {
        m_signedIn = true;
        reply("235 2.7.0 Authentication successful\r\n");
    } else if (verb == "MAIL" && m_fault == SignInAskedFor && !m_signedIn)
        reply("530 5.7.0 Authentication required\r\n");
    else if (verb == "MAIL")
        reply("250 2.1.0 Ok\r\n");
    else if (verb == "RCPT")
        reply(++m_recipients == 2 && m_fault == RefuseSecondRcpt ? "550 5.1.1 No such user\r\n" : "250 2.1.5 Ok\r\n");
    else if (verb == "DATA") {
        m_inData = true;
        reply("354 End data with <CR><LF>.<CR><LF>\r\n");
    } else if (verb == "QUIT") {
        reply("221 2.0.0 Bye\r\n");
        m_socket->disconnectFromHost();
    } else {
        reply("500 5.5.2 Error: command not recognized\r\n");
    }
}

void ScriptedPeer::reply(const QByteArray &text)
{
    QByteArray out = text;
    if (m_fault == ManyLines) {
        // The same reply, preceded by thirty continuation lines.
        QByteArray spread;
        for (int i = 0; i < 30; ++i)
            spread += text.left(3) + "-continued line " + QByteArray::number(i) + "\r\n";
        out = spread + text;
    }
    if (m_fault == Trickle) {
        out = out.left(4) + QByteArray(40, '.') + out.mid(4);
        m_trickle.setInterval(100);
    }
    if (m_fault == ByteByByte || m_fault == Trickle) {
        m_pending += out;
        m_trickle.start();
        return;
    }
    m_socket->write(out);
}

void ScriptedPeer::writeNextByte()
{
    if (!m_socket || m_pending.isEmpty()) {
        m_trickle.stop();
        return;
    }
    m_socket->write(m_pending.left(1));
    m_socket->flush();
    m_pending.remove(0, 1);
}
