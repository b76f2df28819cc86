#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

// A scripted SMTP peer on 127.0.0.1 for the faults a real server rarely
// shows on demand: it answers each command by its script.
class ScriptedPeer : public QObject
{
    Q_OBJECT
public:
    enum Fault {
        NoFault,
        NoGreeting,
        Greeting421,
        RefuseSecondRcpt,
        Refuse552AfterData,
        HangUpInData,
        ByteByByte,
        ManyLines,
        HugeReplyLine,
        Trickle, // every reply one byte per 100 ms, each after a long text
        StartTlsRefused, // STARTTLS offered, then 454
        HangUpInHandshake, // STARTTLS accepted, then the line goes
        WebSignInRequired, // AUTH answered 534
        OnlyCramAndOAuth, // AUTH CRAM-MD5 XOAUTH2
        SignInAskedFor, // AUTH PLAIN LOGIN offered; MAIL answered 530 until signed in
        EhloRefused // EHLO answered 502, HELO taken
    };
    Q_ENUM(Fault)

    explicit ScriptedPeer(Fault fault, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
    QString server() const;
    quint16 port() const { return m_server.serverPort(); }
    QStringList commands() const { return m_commands; }
    QByteArray data() const { return m_data; }
    bool messageAccepted() const { return m_accepted; }

private:
    void onConnection();
    void onReadyRead();
    void answer(const QByteArray &line);
    void reply(const QByteArray &text);
    void writeNextByte();

    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    Fault m_fault;
    QByteArray m_buffer;
    bool m_inData = false;
    QByteArray m_data;
    QStringList m_commands;
    int m_recipients = 0;
    bool m_accepted = false;
    bool m_signedIn = false;
    QByteArray ehloReply() const;
    QByteArray m_pending; // bytes still to trickle out one at a time
    QTimer m_trickle;
};
