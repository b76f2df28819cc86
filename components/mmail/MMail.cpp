#include "components/mmail/MMail.h"

#include <QFile>
#include <QHostInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSslSocket>
#include <QSysInfo>

namespace {

constexpr qint64 kWriteAhead = 256 * 1024; // message bytes kept queued in the socket
constexpr qint64 kChunk = 64 * 1024;

// Header values and commands are single lines: a CR, LF or NUL in one would
// let its text start a header or command of its own.
bool isSingleLine(const QString &text)
{
    for (QChar c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            return false;
    return true;
}

// Stores a header value or the server name; refused when it is not a single line.
bool setSingleLine(QString &field, const QString &value)
{
    if (!isSingleLine(value))
        return false;
    field = value;
    return true;
}

// The address part of "Name <user@host>", or the trimmed text.
QString envelopeAddress(const QString &text)
{
    const qsizetype open = text.indexOf(QLatin1Char('<'));
    const qsizetype close = text.indexOf(QLatin1Char('>'), open + 1);
    if (open >= 0 && close > open)
        return text.mid(open + 1, close - open - 1).trimmed();
    return text.trimmed();
}

QByteArray ehloName(const QHostAddress &local)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9.-]*$"));
    const QString host = QSysInfo::machineHostName();
    if (name.match(host).hasMatch())
        return host.toLatin1();
    if (local.protocol() == QAbstractSocket::IPv6Protocol)
        return "[IPv6:" + local.toString().toLatin1() + ']';
    return '[' + local.toString().toLatin1() + ']';
}

qint16 socketErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return MMail::ConnectionRefused;
    case QAbstractSocket::HostNotFoundError:
        return MMail::HostNotFound;
    case QAbstractSocket::SocketTimeoutError:
        return MMail::TimedOut;
    case QAbstractSocket::NetworkError:
        return MMail::HostUnreachable;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return MMail::ServiceRefused;
    default:
        return MMail::ConnectionAborted;
    }
}

bool isPositive(int code)
{
    return code >= 200 && code < 300;
}

} // namespace

MMail::MMail(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &MMail::onTimeout);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &MMail::onDeadline);
}

MMail::~MMail()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
}

// ---- Composition ----------------------------------------------------------

void MMail::setContentDisposition(const QString &value)
{
    m_part.disposition = value;
}

void MMail::setContentSubType(const QString &value)
{
    m_part.subType = value;
}

void MMail::setContentParameters(const QString &value)
{
    m_part.parameters = value;
}

void MMail::setContentTransferEncoding(const QString &value)
{
    m_part.encoding = value;
}

void MMail::setContentType(const QString &value)
{
    m_part.type = value;
}

QString MMail::date() const
{
    return m_message.date;
}

bool MMail::setDate(const QString &value)
{
    return setSingleLine(m_message.date, value);
}

bool MMail::setSender(const QString &value)
{
    return setSingleLine(m_sender, value);
}

bool MMail::setFrom(const QString &value)
{
    return setSingleLine(m_message.from, value);
}

int MMail::headerCount() const
{
    return int(m_message.extraHeaderLines.size());
}

bool MMail::setServer(const QString &value)
{
    return setSingleLine(m_server, value);
}

void MMail::setContentFile(const QString &path)
{
    m_contentFile = path;
}

bool MMail::setSubject(const QString &value)
{
    return setSingleLine(m_message.subject, value);
}

bool MMail::setTo(const QString &value)
{
    return setSingleLine(m_message.to, value);
}

bool MMail::setBoundary(const QString &value)
{
    // Anchored to the very end: "$" alone would also match before a final line feed.
    static const QRegularExpression valid(QRegularExpression::anchoredPattern(
        QStringLiteral("[0-9A-Za-z'()+_,./:=? -]{0,69}[0-9A-Za-z'()+_,./:=?-]")));
    if (!valid.match(value).hasMatch())
        return false;
    m_message.boundary = value;
    return true;
}

bool MMail::setHeaderLine(int index, const QString &line)
{
    if (index < 0 || index > headerCount() || !isSingleLine(line) || !line.contains(QLatin1Char(':')))
        return false;
    if (index == headerCount())
        m_message.extraHeaderLines.append(line);
    else
        m_message.extraHeaderLines[index] = line;
    return true;
}

bool MMail::setBodyText(int index, const QString &text)
{
    if (index != 0)
        return false;
    m_part.content = text.toUtf8();
    m_part.hasContent = true;
    return true;
}

bool MMail::setAction(int operation)
{
    switch (operation) {
    case Connect:
        if (m_phase != Phase::Idle)
            return false;
        m_deadline.start(m_operationDeadline);
        startConnect();
        return true;
    case Send:
        m_deadline.start(m_operationDeadline);
        startSend();
        return true;
    case Disconnect:
        m_deadline.start(m_operationDeadline);
        startDisconnect();
        return true;
    default:
        return compose(operation);
    }
}

bool MMail::compose(int operation)
{
    switch (operation) {
    case NewMessage:
        m_message = MimeMessage();
        m_part = MimeEntity();
        m_contentFile.clear();
        m_sender.clear();
        m_lastError = NoError;
        return true;
    case NewPart:
        m_part = MimeEntity();
        m_contentFile.clear();
        return true;
    case EndEntity:
        if (m_part.type.compare(QLatin1String("multipart"), Qt::CaseInsensitive) == 0)
            m_message.container = m_part;
        return true;
    case LoadFile: {
        QFile file(m_contentFile);
        if (m_contentFile.isEmpty() || !file.open(QIODevice::ReadOnly))
            return false;
        m_part.content = file.readAll();
        m_part.hasContent = file.error() == QFileDevice::NoError;
        return m_part.hasContent;
    }
    case AddPart:
        m_message.parts.append(m_part);
        return true;
    default:
        return false;
    }
}

// ---- Connect --------------------------------------------------------------

void MMail::startConnect()
{
    m_lastError = NoError;
    QString host = m_server.trimmed();
    QString port;
    static const QRegularExpression bracketed(QStringLiteral("^\\[([^\\]]*)\\](?::(.*))?$"));
    if (const auto m = bracketed.match(host); m.hasMatch()) {
        host = m.captured(1);
        port = m.captured(2);
    } else if (host.count(QLatin1Char(':')) == 1) {
        port = host.section(QLatin1Char(':'), 1);
        host = host.section(QLatin1Char(':'), 0, 0);
    }
    bool ok = true;
    const uint number = port.isEmpty() ? DefaultPort : port.toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return fail(AddressNotAvailable, tr("Not a port: %1").arg(port));
    m_host = host;
    m_port = quint16(number);
    // Names under .invalid never resolve (RFC 6761): no need to ask.
    if (m_host.isEmpty() || m_host.endsWith(QLatin1String(".invalid"), Qt::CaseInsensitive))
        return fail(HostNotFound, tr("Host not found: %1").arg(m_host));
    m_phase = Phase::Resolving;
    m_timer.start(m_connectTimeout);
    m_lookupId = QHostInfo::lookupHost(m_host, this, &MMail::onLookedUp);
}

void MMail::onLookedUp(const QHostInfo &info)
{
    m_lookupId = -1;
    if (m_phase != Phase::Resolving)
        return;
    if (info.error() == QHostInfo::HostNotFound)
        return fail(HostNotFound, tr("Host not found: %1").arg(m_host));
    if (info.error() != QHostInfo::NoError)
        return fail(TryAgain, info.errorString());
    m_addresses = info.addresses();
    if (m_addresses.isEmpty())
        return fail(NoAddress, tr("No address for %1").arg(m_host));
    m_phase = Phase::Connecting;
    m_lastConnectError = ConnectionRefused;
    connectToNextAddress();
}

void MMail::connectToNextAddress()
{
    if (m_addresses.isEmpty())
        return fail(m_lastConnectError, tr("Cannot connect to %1").arg(m_host));
    closeSocket();
    m_socket = new QSslSocket(this);
    connect(m_socket, &QAbstractSocket::connected, this, &MMail::onConnected);
    connect(m_socket, &QIODevice::readyRead, this, &MMail::onReadyRead);
    connect(m_socket, &QIODevice::bytesWritten, this, &MMail::onBytesWritten);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &MMail::onSocketError);
    connect(m_socket, &QAbstractSocket::disconnected, this, &MMail::onDisconnected);
    connect(m_socket, &QSslSocket::encrypted, this, [this] {
        m_tlsActive = true;
        sendCommand("EHLO " + ehloName(m_socket->localAddress()), Phase::Ehlo);
    });
    m_reader.clear();
    m_tlsActive = false;
    m_socket->connectToHost(m_addresses.takeFirst(), m_port);
}

void MMail::onConnected()
{
    m_phase = Phase::Greeting;
    m_timer.start(m_replyTimeout);
}

void MMail::afterEhlo(const QStringList &lines)
{
    const bool offered = lines.mid(1).contains(QStringLiteral("STARTTLS"), Qt::CaseInsensitive);
    // Traffic that never leaves this machine gains nothing from TLS, and a
    // local relay's certificate is rarely one anybody can verify.
    if (offered && !m_tlsActive && m_tlsPolicy == 0 && QSslSocket::supportsSsl()
        && !m_socket->peerAddress().isLoopback())
        return sendCommand("STARTTLS", Phase::StartTls);
    finishPhase();
}

// ---- Send -----------------------------------------------------------------

void MMail::startSend()
{
    if (m_phase != Phase::Ready)
        return fail(ConnectionAborted, tr("Not connected"));
    m_recipients.clear();
    for (const QString &entry : m_message.to.split(QLatin1Char(',')))
        if (const QString address = envelopeAddress(entry); !address.isEmpty())
            m_recipients << address;
    if (m_recipients.isEmpty())
        return fail(MessageRefused, tr("No recipient"));
    m_nextRecipient = 0;
    const QString sender = envelopeAddress(m_sender.isEmpty() ? m_message.from : m_sender);
    sendCommand("MAIL FROM:<" + sender.toUtf8() + '>', Phase::MailFrom);
}

void MMail::sendNextRecipient()
{
    if (m_nextRecipient < m_recipients.size())
        return sendCommand("RCPT TO:<" + m_recipients.at(m_nextRecipient++).toUtf8() + '>', Phase::RcptTo);
    sendCommand("DATA", Phase::DataCommand);
}

void MMail::fillSocket()
{
    while (m_phase == Phase::Data && m_socket->bytesToWrite() < kWriteAhead) {
        if (m_stream->atEnd()) {
            m_socket->write(".\r\n");
            m_phase = Phase::EndOfData;
            return;
        }
        m_socket->write(m_stream->read(kChunk));
    }
}

void MMail::onBytesWritten(qint64 bytes)
{
    if (m_phase != Phase::Data && m_phase != Phase::EndOfData)
        return;
    m_timer.start(m_replyTimeout);
    const qint64 total = m_stream->size();
    m_dataWritten = qMin(total, m_dataWritten + bytes);
    const int percent = total ? int(m_dataWritten * 100 / total) : 100;
    if (percent != m_lastPercent) {
        m_lastPercent = percent;
        post({Event::ProgressEvent, qint32(m_dataWritten), qint32(total), 0, QString()});
    }
    fillSocket();
}

// ---- Disconnect -----------------------------------------------------------

void MMail::startDisconnect()
{
    if (m_phase == Phase::Ready && m_socket->state() == QAbstractSocket::ConnectedState)
        return sendCommand("QUIT", Phase::Quit);
    closeSocket();
    finishPhase();
}

// ---- Replies --------------------------------------------------------------

void MMail::sendCommand(const QByteArray &command, Phase next)
{
    post({Event::DebugEvent, 0, 0, 0, QString::fromUtf8(command)});
    m_phase = next;
    m_socket->write(command + "\r\n");
    m_timer.start(m_replyTimeout);
}

void MMail::onReadyRead()
{
    if (!m_socket)
        return;
    // The reply timer runs from the command to the whole reply: bytes that
    // trickle in do not restart it.
    m_reader.append(m_socket->readAll());
    if (m_phase == Phase::Quit)
        return finishPhase();
    for (;;) {
        const Phase waiting = m_phase;
        if (waiting == Phase::Idle || waiting == Phase::Ready || waiting == Phase::Handshake)
            return;
        switch (m_reader.next()) {
        case SmtpReplyReader::Status::Incomplete:
            return;
        case SmtpReplyReader::Status::Malformed:
            return fail(ServiceRefused, tr("Malformed reply"));
        case SmtpReplyReader::Status::Complete:
            handleReply(m_reader.code(), m_reader.lines());
            break;
        }
    }
}

void MMail::handleReply(int code, const QStringList &lines)
{
    const QString text = QString::number(code) + QLatin1Char(' ') + lines.join(QLatin1Char(' '));
    post({Event::DebugEvent, 0, 0, 0, text});
    switch (m_phase) {
    case Phase::Greeting:
        if (code != 220)
            return fail(ServiceRefused, text);
        return sendCommand("EHLO " + ehloName(m_socket->localAddress()), Phase::Ehlo);
    case Phase::Ehlo:
        if (isPositive(code))
            return afterEhlo(lines);
        if (code >= 500)
            return sendCommand("HELO " + ehloName(m_socket->localAddress()), Phase::Helo);
        return fail(ServiceRefused, text);
    case Phase::Helo:
        return isPositive(code) ? finishPhase() : fail(ServiceRefused, text);
    case Phase::StartTls:
        if (code != 220)
            return finishPhase(); // offered but not available now: go on in plain text
        m_phase = Phase::Handshake;
        m_reader.clear();
        m_socket->startClientEncryption();
        return;
    case Phase::MailFrom:
    case Phase::RcptTo:
        return isPositive(code) ? sendNextRecipient() : fail(MessageRefused, text);
    case Phase::DataCommand:
        if (code != 354)
            return fail(MessageRefused, text);
        m_stream.emplace(m_message.stream());
        m_dataWritten = 0;
        m_lastPercent = -1;
        m_phase = Phase::Data;
        return fillSocket();
    case Phase::Data:
        return fail(MessageRefused, text);
    case Phase::EndOfData:
        if (m_socket->bytesToWrite() > 0 || !isPositive(code))
            return fail(MessageRefused, text);
        m_stream.reset();
        return finishPhase();
    default:
        return;
    }
}

// ---- Phase ends and failures ------------------------------------------------

void MMail::finishPhase()
{
    m_timer.stop();
    m_deadline.stop();
    if (m_phase == Phase::Quit || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        m_phase = Phase::Idle;
        if (m_socket)
            m_socket->disconnectFromHost();
    } else {
        m_phase = Phase::Ready;
    }
    post({Event::DoneEvent, 0, 0, 0, QString()});
}

void MMail::onSocketError()
{
    const QAbstractSocket::SocketError error = m_socket->error();
    switch (m_phase) {
    case Phase::Connecting:
        m_lastConnectError = socketErrorNumber(error);
        return connectToNextAddress();
    case Phase::Quit:
        return finishPhase();
    case Phase::Idle:
    case Phase::Ready:
        return;
    default:
        return fail(socketErrorNumber(error), m_socket->errorString());
    }
}

void MMail::onDisconnected()
{
    if (m_phase == Phase::Quit)
        finishPhase();
    else if (m_phase != Phase::Idle && m_phase != Phase::Ready && m_phase != Phase::Connecting)
        fail(ConnectionAborted, tr("The server closed the connection"));
}

void MMail::onTimeout()
{
    switch (m_phase) {
    case Phase::Resolving:
    case Phase::Connecting:
        return fail(TimedOut, tr("No connection to %1").arg(m_host));
    case Phase::Quit:
        return finishPhase();
    case Phase::Data:
        return fail(TransferStalled, tr("The server stopped taking the message"));
    case Phase::EndOfData:
        if (m_socket->bytesToWrite() > 0)
            return fail(TransferStalled, tr("The server stopped taking the message"));
        return fail(TimedOut, tr("No reply from the server"));
    default:
        return fail(TimedOut, tr("No reply from the server"));
    }
}

void MMail::onDeadline()
{
    if (m_phase == Phase::Quit)
        return finishPhase();
    if (m_phase != Phase::Idle && m_phase != Phase::Ready)
        fail(TimedOut, tr("The server took too long"));
}

void MMail::fail(qint16 code, const QString &text)
{
    stop();
    m_lastError = code;
    post({Event::ErrorEvent, 0, 0, code, text});
}

void MMail::closeSocket()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void MMail::abort()
{
    m_events.clear();
    stop();
}

void MMail::stop()
{
    m_phase = Phase::Idle;
    m_timer.stop();
    m_deadline.stop();
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    closeSocket();
    m_stream.reset();
}

// ---- Event delivery ---------------------------------------------------------

void MMail::post(Event event)
{
    // A progress report not yet delivered is brought up to date instead of
    // queueing another one behind it.
    if (event.kind == Event::ProgressEvent && !m_events.isEmpty() && m_events.last().kind == Event::ProgressEvent)
        m_events.last() = event;
    else
        m_events.append(event);
    if (!m_dispatching && !m_dispatchScheduled) {
        m_dispatchScheduled = true;
        QMetaObject::invokeMethod(this, &MMail::dispatchNext, Qt::QueuedConnection);
    }
}

void MMail::dispatchNext()
{
    m_dispatchScheduled = false;
    if (m_events.isEmpty())
        return;
    const Event event = m_events.takeFirst();
    QPointer<MMail> alive(this);
    m_dispatching = true;
    switch (event.kind) {
    case Event::DoneEvent:
        emit Done();
        break;
    case Event::ProgressEvent:
        emit Progress(event.numerator, event.denominator);
        break;
    case Event::ErrorEvent:
        emit AsyncError(event.code, event.text);
        break;
    case Event::DebugEvent:
        emit Debug(event.text);
        break;
    }
    if (!alive)
        return;
    m_dispatching = false;
    if (!m_events.isEmpty() && !m_dispatchScheduled) {
        m_dispatchScheduled = true;
        QMetaObject::invokeMethod(this, &MMail::dispatchNext, Qt::QueuedConnection);
    }
}
