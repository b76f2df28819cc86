#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// A real SMTP server (aiosmtpd, run by /usr/bin/python3) on 127.0.0.1 with a
// free port, keeping every message it accepts; the options of smtp_sink.py's
// serve choose TLS and sign-in.
class SmtpSink
{
public:
    explicit SmtpSink(const QStringList &options = {});
    ~SmtpSink();

    bool isRunning() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    // The received message number n (from 1), waiting up to timeoutMs for it.
    QString messagePath(int n, int timeoutMs = 10000) const;
    QJsonObject envelope(int n) const;
    // The sign-in attempts: [mechanism, user, accepted] each.
    QJsonArray signIns() const;
    int messageCount() const;

    // What Python's email package makes of a received message.
    static QJsonObject inspect(const QString &emlPath);
    static QString script();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

// A port on 127.0.0.1 that nothing listens on.
quint16 ClosedPort();
