#pragma once

#include <QString>

#include <optional>

// Where and how to reach a mail server, read from the text the user typed:
//   host, host:port, [v6-address]:port   port 25, STARTTLS when offered;
//                                        port 587 requires STARTTLS,
//                                        port 465 is TLS from the first byte
//   smtp://[user@]host[:port]            STARTTLS required, port 587 by default
//   smtps://[user@]host[:port]           TLS on connect, port 465 by default
struct SmtpEndpoint
{
    enum class Security {
        StartTlsWhenOffered,
        StartTlsRequired,
        TlsOnConnect
    };

    QString host;
    quint16 port = 25;
    Security security = Security::StartTlsWhenOffered;
    QString user; // empty unless the text names one

    // Nothing when the text names another scheme or a port that is not a
    // number from 1 to 65535.
    static std::optional<SmtpEndpoint> Parse(const QString &text);
};
