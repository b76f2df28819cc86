#include "components/mmail/MMail.h"

#include "components/mmail/AddressHeader.h"

#include <QHostInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSslCipher>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QSysInfo>
#include <QTcpSocket>
#include <QUuid>

#include <unistd.h>

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

QString localHostName()
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9.-]*$"));
    const QString host = QSysInfo::machineHostName();
    return name.match(host).hasMatch() ? host : QString();
}

QByteArray ehloName(const QHostAddress &local)
{
    if (const QString host = localHostName(); !host.isEmpty())
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

// "<unique@domain>", the domain being the sender's.
QString newMessageId(const QString &sender)
{
    QString domain = sender.section(QLatin1Char('@'), -1);
    if (!sender.contains(QLatin1Char('@')) || domain.isEmpty())
        domain = localHostName().isEmpty() ? QStringLiteral("localhost") : localHostName();
    return QLatin1Char('<') + QUuid::createUuid().toString(QUuid::Id128) + QLatin1Char('@') + domain + QLatin1Char('>');
}

QString replyText(int code, const QStringList &lines)
{
    return QString::number(code) + QLatin1Char(' ') + lines.join(QLatin1Char(' '));
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
    if (!MimeMessage::foldsWithinLimit(QStringLiteral("Date: ") + value))
        return false;
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
    static const QRegularExpression valid(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9A-Za-z'()+_,./:=? -]{0,69}[0-9A-Za-z'()+_,./:=?-]")));
    if (!valid.match(value).hasMatch())
        return false;
    m_message.boundary = value;
    return true;
}

bool MMail::setHeaderLine(int index, const QString &line)
{
    if (index < 0 || index > headerCount() || !isSingleLine(line) || !line.contains(QLatin1Char(':'))
        || !MimeMessage::foldsWithinLimit(line))
        return false;
    if (index == headerCount())
        m_message.extraHeaderLines.append(line);
    else
        m_message.extraHeaderLines[index] = line;
    return true;
}

QList<MimeEntity> &MMail::openParts()
{
    QList<MimeEntity> *parts = &m_message.parts;
    for (qsizetype at : m_openMultiparts)
        parts = &(*parts)[at].parts;
    return *parts;
}

bool MMail::setContentId(const QString &value)
{
    return setSingleLine(m_part.contentId, value);
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
        m_openMultiparts.clear();
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
        // The file is only opened here; its bytes are read while they are sent.
        const std::optional<MimeContent> content = MimeContent::fromFile(m_contentFile);
        if (!content)
            return false;
        m_part.content = *content;
        m_part.hasContent = true;
        return true;
    }
    case AddPart:
        openParts().append(m_part);
        return true;
    case OpenMultipart:
        if (!m_part.isMultipart() || m_part.parameter(QStringLiteral("boundary")).isEmpty())
            return false;
        openParts().append(m_part);
        m_openMultiparts.append(openParts().size() - 1);
        return true;
    case CloseMultipart:
        if (m_openMultiparts.isEmpty())
            return false;
        m_openMultiparts.removeLast();
        return true;
    default:
        return false;
    }
}

// ---- Connect --------------------------------------------------------------

// The TLS library takes several milliseconds to load and set up: it is
// loaded, with the extra authorities, while the connection is made, unless
// the connection cannot use it.
void MMail::loadTlsMeanwhile()
{
    m_extraCas.clear();
    m_tlsLoaded = {};
    const bool plainOnly = m_caFile.isEmpty() && m_endpoint.security == SmtpEndpoint::Security::StartTlsWhenOffered
                           && QHostAddress(m_host).isLoopback();
    if (plainOnly)
        return;
    m_tlsLoaded = std::async(std::launch::async, [file = m_caFile] {
        QSslSocket::supportsSsl();
        return file.isEmpty() ? QList<QSslCertificate>()
                              : QSslCertificate::fromPath(file, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
    });
}

void MMail::startConnect()
{
    m_lastError = NoError;
    m_lastErrorText.clear();
    const std::optional<SmtpEndpoint> endpoint = SmtpEndpoint::Parse(m_server);
    if (!endpoint)
        return fail(AddressNotAvailable, tr("Not a server: %1").arg(m_server));
    if (!checkAddresses())
        return;
    m_endpoint = *endpoint;
    m_host = m_endpoint.host;
    m_port = m_endpoint.port;
    loadTlsMeanwhile();
    m_signedIn = false;
    // Names under .invalid never resolve (RFC 6761): no need to ask.
    if (m_host.isEmpty() || m_host.endsWith(QLatin1String(".invalid"), Qt::CaseInsensitive))
        return fail(HostNotFound, tr("Host not found: %1").arg(m_host));
    m_timer.start(m_connectTimeout);
    // An address written out needs no lookup, nor the lookup's thread.
    if (const QHostAddress literal(m_host); !literal.isNull())
        return connectToAddresses({literal});
    m_phase = Phase::Resolving;
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
    if (info.addresses().isEmpty())
        return fail(NoAddress, tr("No address for %1").arg(m_host));
    connectToAddresses(info.addresses());
}

void MMail::connectToAddresses(const QList<QHostAddress> &addresses)
{
    m_addresses = addresses;
    m_phase = Phase::Connecting;
    m_lastConnectError = ConnectionRefused;
    connectToNextAddress();
}

void MMail::connectToNextAddress()
{
    if (m_addresses.isEmpty())
        return fail(m_lastConnectError, tr("Cannot connect to %1").arg(m_host));
    closeSocket();
    attachSocket(new QTcpSocket(this));
    connect(m_socket, &QAbstractSocket::connected, this, &MMail::onConnected);
    m_reader.clear();
    m_tlsActive = false;
    m_capabilities.clear();
    m_socket->connectToHost(m_addresses.takeFirst(), m_port);
}

void MMail::attachSocket(QTcpSocket *socket)
{
    m_socket = socket;
    connect(m_socket, &QIODevice::readyRead, this, &MMail::onReadyRead);
    connect(m_socket, &QIODevice::bytesWritten, this, &MMail::onBytesWritten);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &MMail::onSocketError);
    connect(m_socket, &QAbstractSocket::disconnected, this, &MMail::onDisconnected);
    if (QSslSocket *tls = tlsSocket()) {
        connect(tls, &QSslSocket::encrypted, this, &MMail::onEncrypted);
        connect(tls, &QSslSocket::encryptedBytesWritten, this, &MMail::onEncryptedBytesWritten);
        connect(tls, &QSslSocket::sslErrors, this, &MMail::onSslErrors);
        prepareTls();
    }
}

QSslSocket *MMail::tlsSocket() const
{
    return qobject_cast<QSslSocket *>(m_socket);
}

void MMail::startTls()
{
    if (m_tlsLoaded.valid())
        m_extraCas = m_tlsLoaded.get();
    if (!m_caFile.isEmpty() && m_extraCas.isEmpty())
        return fail(CertificateRejected, tr("No certificate could be read from %1").arg(m_caFile));
    if (!moveToTlsSocket())
        return fail(SecureConnectionFailed, tr("The secure connection failed"));
    m_phase = Phase::Handshake;
    m_reader.clear();
    tlsSocket()->startClientEncryption();
}

// Hands the connection to a socket that can encrypt it. The TCP connection
// stays open under a second descriptor, which the new socket takes; the old
// socket closes only its own.
bool MMail::moveToTlsSocket()
{
    const int descriptor = ::dup(int(m_socket->socketDescriptor()));
    if (descriptor < 0)
        return false;
    auto *tls = new QSslSocket(this);
    if (!tls->setSocketDescriptor(descriptor)) {
        ::close(descriptor);
        delete tls;
        return false;
    }
    closeSocket();
    attachSocket(tls);
    return true;
}

void MMail::onConnected()
{
    m_timer.start(m_replyTimeout);
    if (m_endpoint.security == SmtpEndpoint::Security::TlsOnConnect)
        return startTls();
    m_phase = Phase::Greeting;
}

void MMail::afterEhlo(const QStringList &lines)
{
    m_capabilities = lines.mid(1);
    const bool offered = m_capabilities.contains(QStringLiteral("STARTTLS"), Qt::CaseInsensitive);
    if (!m_tlsActive && wantsStartTls(offered))
        return sendCommand("STARTTLS", Phase::StartTls);
    if (!m_tlsActive && m_endpoint.security != SmtpEndpoint::Security::StartTlsWhenOffered)
        return fail(SecureConnectionUnavailable, tr("%1 offers no STARTTLS").arg(m_host));
    if (!advertisedMechanisms().isEmpty())
        return beginSignIn(false);
    finishPhase();
}

// ---- Secure connection ------------------------------------------------------

bool MMail::checkAddresses()
{
    QStringList addresses = EnvelopeAddresses(m_message.to);
    // From is written as a list too: each of its entries must be sendable.
    addresses << EnvelopeAddress(m_sender) << EnvelopeAddresses(m_message.from);
    for (const QString &address : addresses)
        if (!IsPlainAscii(address) || address.size() > MaxAddressOctets) {
            fail(IsPlainAscii(address) ? AddressTooLong : AddressNotAscii, address);
            return false;
        }
    return true;
}

// Certificates are checked against the system's authorities, or those of the
// CA file alone (once authorities are set, Qt no longer looks the system's up),
// and the name the user typed, whatever address it resolved to.
void MMail::prepareTls()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!m_extraCas.isEmpty())
        tls.addCaCertificates(m_extraCas);
    tlsSocket()->setSslConfiguration(tls);
    tlsSocket()->setPeerVerifyName(m_host);
    m_sslErrorText.clear();
}

bool MMail::wantsStartTls(bool offered) const
{
    if (m_endpoint.security == SmtpEndpoint::Security::StartTlsRequired)
        return offered;
    // Traffic that never leaves this machine gains nothing from TLS, and a
    // local relay's certificate is rarely one anybody can verify.
    return offered && m_tlsPolicy == 0 && !m_socket->peerAddress().isLoopback() && QSslSocket::supportsSsl();
}

void MMail::onEncrypted()
{
    m_tlsActive = true;
    post({Event::DebugEvent, 0, 0, 0, tlsSocket()->sessionCipher().name()});
    if (m_endpoint.security == SmtpEndpoint::Security::TlsOnConnect) {
        m_phase = Phase::Greeting;
        return onReadyRead();
    }
    sendCommand("EHLO " + ehloName(m_socket->localAddress()), Phase::Ehlo);
}

void MMail::onSslErrors(const QList<QSslError> &errors)
{
    QStringList reasons;
    for (const QSslError &error : errors)
        reasons << error.errorString();
    m_sslErrorText = reasons.join(QStringLiteral("; "));
}

void MMail::failHandshake()
{
    if (!m_sslErrorText.isEmpty())
        return fail(CertificateRejected, m_sslErrorText);
    fail(SecureConnectionFailed, m_socket ? m_socket->errorString() : tr("The secure connection failed"));
}

// ---- Sign-in ------------------------------------------------------------------

QStringList MMail::advertisedMechanisms() const
{
    static const QRegularExpression auth(QStringLiteral("^AUTH[ =](.*)$"), QRegularExpression::CaseInsensitiveOption);
    QStringList mechanisms;
    for (const QString &line : m_capabilities)
        if (const auto m = auth.match(line); m.hasMatch())
            mechanisms << m.captured(1).toUpper().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    mechanisms.removeDuplicates();
    return mechanisms;
}

// PLAIN, else LOGIN: the two that need nothing but the password itself.
void MMail::beginSignIn(bool resumeMail)
{
    const bool secure = m_tlsActive || m_socket->peerAddress().isLoopback();
    if (!secure && !resumeMail && m_endpoint.user.isEmpty())
        return finishPhase(); // offered, not asked for: nothing is sent over plain text
    if (!secure)
        return fail(InsecureSignIn, tr("%1 asks for a password over plain text").arg(m_host));
    const QStringList offered = advertisedMechanisms();
    if (offered.contains(QLatin1String("PLAIN")))
        m_mechanism = "PLAIN";
    else if (offered.contains(QLatin1String("LOGIN")))
        m_mechanism = "LOGIN";
    else
        return fail(SignInMethodUnsupported, offered.join(QLatin1Char(' ')));
    m_resumeMail = resumeMail;
    m_signInUser = m_endpoint.user.isEmpty() ? EnvelopeAddress(m_message.from) : m_endpoint.user;
    m_timer.stop();
    m_phase = Phase::AwaitingSignIn;
    post({Event::SignInEvent, 0, 0, 0, QString()});
}

bool MMail::signIn(const QString &user, const QString &password)
{
    if (m_phase != Phase::AwaitingSignIn || user.isEmpty() || !isSingleLine(user) || !isSingleLine(password))
        return false;
    m_signInUser = user;
    if (m_mechanism == "LOGIN") {
        m_password = password;
        sendCommand("AUTH LOGIN", Phase::AuthLoginUser);
        return true;
    }
    const QByteArray response = '\0' + user.toUtf8() + '\0' + password.toUtf8();
    sendSecret("AUTH PLAIN " + response.toBase64(), "AUTH PLAIN (credentials)", Phase::AuthResult);
    return true;
}

void MMail::handleSignInReply(int code, const QString &text)
{
    m_password.clear();
    switch (code) {
    case 235:
        m_signedIn = true;
        post({Event::SignedInEvent, 0, 0, 0, QString()});
        return m_resumeMail ? startMailFrom() : finishPhase();
    case 535:
        m_timer.stop();
        m_phase = Phase::AwaitingSignIn;
        return post({Event::SignInEvent, 0, 0, 0, text});
    case 534:
        return fail(WebSignInRequired, text);
    case 504:
        return fail(SignInMethodUnsupported, text);
    case 538:
        return fail(InsecureSignIn, text);
    default:
        return fail(SignInRefused, text);
    }
}

// A command whose text must not appear in the Debug events.
void MMail::sendSecret(const QByteArray &command, const QByteArray &shown, Phase next)
{
    post({Event::DebugEvent, 0, 0, 0, QString::fromUtf8(shown)});
    m_phase = next;
    m_socket->write(command + "\r\n");
    m_timer.start(m_replyTimeout);
}

// ---- Send -----------------------------------------------------------------

void MMail::startSend()
{
    if (m_phase != Phase::Ready)
        return fail(ConnectionAborted, tr("Not connected"));
    m_recipients = EnvelopeAddresses(m_message.to);
    if (m_recipients.isEmpty())
        return fail(MessageRefused, tr("No recipient"));
    m_message.messageId = newMessageId(EnvelopeAddress(m_message.from));
    m_stream.emplace(m_message);
    if (m_stream->failed())
        return fail(AttachmentUnreadable, m_stream->errorString());
    startMailFrom();
}

void MMail::startMailFrom()
{
    m_nextRecipient = 0;
    const QString sender = EnvelopeAddress(m_sender.isEmpty() ? m_message.from : m_sender);
    sendCommand("MAIL FROM:<" + sender.toUtf8() + '>', Phase::MailFrom);
}

void MMail::sendNextRecipient()
{
    if (m_nextRecipient < m_recipients.size())
        return sendCommand("RCPT TO:<" + m_recipients.at(m_nextRecipient++).toUtf8() + '>', Phase::RcptTo);
    sendCommand("DATA", Phase::DataCommand);
}

// Over TLS the socket encrypts what it is given at once: the bytes waiting
// are those not yet encrypted and those encrypted but not yet taken.
void MMail::fillSocket()
{
    const QSslSocket *tls = tlsSocket();
    while (m_phase == Phase::Data
           && m_socket->bytesToWrite() + (tls ? tls->encryptedBytesToWrite() : 0) < kWriteAhead) {
        if (!m_stream->read(m_chunk, kChunk))
            return fail(AttachmentUnreadable, m_stream->errorString());
        if (m_stream->atEnd()) {
            // The end of the data goes out with its last bytes, not on its own.
            m_chunk += ".\r\n";
            m_phase = Phase::EndOfData;
        }
        m_socket->write(m_chunk.constData(), m_chunk.size());
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

void MMail::onEncryptedBytesWritten()
{
    if (m_phase != Phase::Data)
        return;
    m_timer.start(m_replyTimeout);
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
    sendSecret(command, command, next);
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
        if (waiting == Phase::Idle || waiting == Phase::Ready || waiting == Phase::Handshake
            || waiting == Phase::AwaitingSignIn)
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
    const QString text = replyText(code, lines);
    post({Event::DebugEvent, 0, 0, 0, text});
    switch (m_phase) {
    case Phase::Greeting:
        if (code != 220)
            return fail(ServiceRefused, text);
        return sendCommand("EHLO " + ehloName(m_socket->localAddress()), Phase::Ehlo);
    case Phase::Ehlo:
        if (isPositive(code))
            return afterEhlo(lines);
        // Without EHLO there is no STARTTLS: a connection that must be
        // secure ends here rather than go on in plain text.
        if (code >= 500 && !m_tlsActive && m_endpoint.security != SmtpEndpoint::Security::StartTlsWhenOffered)
            return fail(SecureConnectionNotStarted, text);
        if (code >= 500)
            return sendCommand("HELO " + ehloName(m_socket->localAddress()), Phase::Helo);
        return fail(ServiceRefused, text);
    case Phase::Helo:
        return isPositive(code) ? finishPhase() : fail(ServiceRefused, text);
    case Phase::StartTls:
        if (code == 220)
            return startTls();
        if (m_endpoint.security != SmtpEndpoint::Security::StartTlsWhenOffered)
            return fail(SecureConnectionUnavailable, text);
        return finishPhase(); // offered but not available now: go on in plain text
    case Phase::AuthLoginUser:
        if (code != 334)
            return handleSignInReply(code, text);
        return sendSecret(m_signInUser.toUtf8().toBase64(), "(user name)", Phase::AuthLoginPassword);
    case Phase::AuthLoginPassword:
        if (code != 334)
            return handleSignInReply(code, text);
        return sendSecret(std::exchange(m_password, QString()).toUtf8().toBase64(), "(password)", Phase::AuthResult);
    case Phase::AuthResult:
        return handleSignInReply(code, text);
    case Phase::MailFrom:
        if (code == 530 && !m_signedIn && !advertisedMechanisms().isEmpty())
            return beginSignIn(true);
        return isPositive(code) ? sendNextRecipient() : fail(MessageRefused, text);
    case Phase::RcptTo:
        return isPositive(code) ? sendNextRecipient() : fail(MessageRefused, text);
    case Phase::DataCommand:
        if (code != 354)
            return fail(MessageRefused, text);
        m_dataWritten = 0;
        m_lastPercent = -1;
        m_phase = Phase::Data;
        return fillSocket();
    case Phase::Data:
        return fail(DataRefused, text);
    case Phase::EndOfData:
        if (m_socket->bytesToWrite() > 0)
            return fail(MessageRefused, text);
        if (!isPositive(code))
            return fail(DataRefused, text);
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
    case Phase::Handshake:
        return failHandshake();
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
    else if (m_phase == Phase::Handshake)
        failHandshake();
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
    m_lastErrorText = text;
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
    m_password.clear();
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
    case Event::SignInEvent:
        emit SignInNeeded(m_signInUser, event.text);
        break;
    case Event::SignedInEvent:
        emit SignedIn();
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

// Compiled here, not with every other class's, so that a program that needs
// only this control does not take the whole application in with it.
#include "moc_MMail.cpp"
