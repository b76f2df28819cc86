#include "platform/SingleInstance.h"

#include "platform/registry/Registry.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {
const QByteArray kActivate = "activate";
const QByteArray kOpen = "open ";
constexpr int kTimeoutMs = 500;
} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
}

QString SingleInstance::serverName()
{
    const QByteArray folder =
        QCryptographicHash::hash(Registry::directory().toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("vexilo-%1-%2").arg(getuid()).arg(QString::fromLatin1(folder));
}

bool SingleInstance::activateRunningInstance(const QString &document)
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    QByteArray request = kActivate + '\n';
    if (!document.isEmpty())
        request += kOpen + document.toUtf8().toPercentEncoding() + '\n';
    socket.write(request);
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(serverName())) {
        // A socket left by a crashed instance: nobody answered on it.
        QLocalServer::removeServer(serverName());
        if (!m_server->listen(serverName()))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                while (client->canReadLine())
                    Answer(client->readLine().trimmed());
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

void SingleInstance::Answer(const QByteArray &request)
{
    if (request == kActivate)
        emit activationRequested();
    else if (request.startsWith(kOpen))
        emit openRequested(QString::fromUtf8(QByteArray::fromPercentEncoding(request.mid(kOpen.size()))));
}
