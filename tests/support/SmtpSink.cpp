#include "tests/support/SmtpSink.h"

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTest>

SmtpSink::SmtpSink(const QStringList &options)
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    QStringList{script(), QStringLiteral("serve"), m_dir.path()} + options);
    const QString portFile = m_dir.filePath(QStringLiteral("port"));
    if (m_process.waitForStarted(10000) && QTest::qWaitFor([&] { return QFile::exists(portFile); }, 20000))
        m_port = quint16(ReadFile(portFile).toUInt());
}

SmtpSink::~SmtpSink()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(2000);
}

QString SmtpSink::script()
{
    return TestEnvironment::sourceDir() + QStringLiteral("/tests/support/smtp_sink.py");
}

QString SmtpSink::messagePath(int n, int timeoutMs) const
{
    const QString path = m_dir.filePath(QStringLiteral("%1.eml").arg(n));
    (void)QTest::qWaitFor([&] { return QFile::exists(path); }, timeoutMs);
    return QFile::exists(path) ? path : QString();
}

QJsonObject SmtpSink::envelope(int n) const
{
    return QJsonDocument::fromJson(ReadFile(m_dir.filePath(QStringLiteral("%1.json").arg(n)))).object();
}

QJsonArray SmtpSink::signIns() const
{
    return QJsonDocument::fromJson(ReadFile(m_dir.filePath(QStringLiteral("auth.json")))).array();
}

int SmtpSink::messageCount() const
{
    return int(QDir(m_dir.path()).entryList({QStringLiteral("*.eml")}, QDir::Files).size());
}

QJsonObject SmtpSink::inspect(const QString &emlPath)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {script(), QStringLiteral("inspect"), emlPath});
    p.waitForFinished(30000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
