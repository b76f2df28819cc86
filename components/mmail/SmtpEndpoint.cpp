#include "components/mmail/SmtpEndpoint.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

constexpr quint16 kSubmissionPort = 587;
constexpr quint16 kSubmissionsPort = 465;

struct HostPort
{
    QString host;
    QString port;
};

// "host", "host:port", "[v6]" or "[v6]:port"; a bare IPv6 literal has
// more than one colon and no port.
HostPort splitHostPort(const QString &text)
{
    static const QRegularExpression bracketed(QStringLiteral("^\\[([^\\]]*)\\](?::(.*))?$"));
    if (const auto m = bracketed.match(text); m.hasMatch())
        return {m.captured(1), m.captured(2)};
    if (text.count(QLatin1Char(':')) == 1)
        return {text.section(QLatin1Char(':'), 0, 0), text.section(QLatin1Char(':'), 1)};
    return {text, QString()};
}

std::optional<quint16> portNumber(const QString &text, quint16 fallback)
{
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const uint number = text.toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return std::nullopt;
    return quint16(number);
}

} // namespace

std::optional<SmtpEndpoint> SmtpEndpoint::Parse(const QString &text)
{
    SmtpEndpoint endpoint;
    QString rest = text.trimmed();
    quint16 defaultPort = 25;
    const qsizetype schemeEnd = rest.indexOf(QLatin1String("://"));
    if (schemeEnd >= 0) {
        const QString scheme = rest.left(schemeEnd).toLower();
        if (scheme == QLatin1String("smtp")) {
            endpoint.security = Security::StartTlsRequired;
            defaultPort = kSubmissionPort;
        } else if (scheme == QLatin1String("smtps")) {
            endpoint.security = Security::TlsOnConnect;
            defaultPort = kSubmissionsPort;
        } else {
            return std::nullopt;
        }
        rest = rest.mid(schemeEnd + 3);
        if (rest.endsWith(QLatin1Char('/')))
            rest.chop(1);
        if (const qsizetype at = rest.lastIndexOf(QLatin1Char('@')); at >= 0) {
            endpoint.user = QUrl::fromPercentEncoding(rest.left(at).toUtf8());
            rest = rest.mid(at + 1);
        }
    }
    const HostPort parts = splitHostPort(rest);
    const std::optional<quint16> port = portNumber(parts.port, defaultPort);
    if (!port)
        return std::nullopt;
    endpoint.host = parts.host;
    endpoint.port = *port;
    if (schemeEnd < 0 && endpoint.port == kSubmissionPort)
        endpoint.security = Security::StartTlsRequired;
    if (schemeEnd < 0 && endpoint.port == kSubmissionsPort)
        endpoint.security = Security::TlsOnConnect;
    return endpoint;
}
