#pragma once

#include "mail/PasswordStore.h"

#include <QString>

#include <functional>
#include <optional>

// What the sign-in dialog shows and what the user answers.
struct SignInRequest
{
    QString server; // "host:port"
    QString user;
    QString reason; // the server's answer to the last attempt, empty the first time
    bool canRemember = true; // false when no secret store is running
    QString password;
    bool remember = false;
};
// Asks the user; false when the user cancelled.
using SignInAsker = std::function<bool(SignInRequest &request)>;

// Where the password for a sign-in comes from: the one given for this send
// (the command line's file or environment), the secret store, or the user.
// A password is remembered only after the server has accepted it.
class MailSignIn
{
public:
    enum class Answer {
        Given,
        Cancelled,
        NotGiven // nobody to ask: no password given, or the given one was refused
    };

    MailSignIn(PasswordStore &store, const QString &host, quint16 port);

    void SetAsker(SignInAsker asker) { m_asker = std::move(asker); }
    void SetGivenPassword(const QString &password) { m_given = password; }
    void SetUseStore(bool use) { m_useStore = use; }

    // The credentials for the next attempt; request.user and request.reason
    // say who signs in and why the last attempt failed.
    Answer Next(SignInRequest &request);
    // The server accepted the last credentials.
    void Accepted();

private:
    Answer Ask(SignInRequest &request);
    QString Key(const QString &user) const;

    PasswordStore &m_store;
    QString m_host;
    quint16 m_port;
    SignInAsker m_asker;
    std::optional<QString> m_given;
    bool m_useStore = true;
    bool m_triedOnce = false;
    bool m_storedWasUsed = false; // a stored password went into the last attempt
    bool m_storedIsWrong = false;
    SignInRequest m_last;
};
