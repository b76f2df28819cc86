#pragma once

#include <QString>

// Remembered mail passwords, kept in the desktop's secret store (Secret
// Service or KWallet) and never in the settings. Each call waits for the
// store's answer.
class PasswordStore
{
public:
    enum class Status {
        Found,
        NotFound,
        Unavailable // no secret store is running, or it refused
    };
    struct Reading
    {
        Status status = Status::Unavailable;
        QString password;
    };

    Reading Read(const QString &key) const;
    bool Write(const QString &key, const QString &password);
    bool Remove(const QString &key);

    // One entry per user and server: "user@host:port".
    static QString KeyFor(const QString &user, const QString &host, quint16 port);
    static QString ServiceName();
};
