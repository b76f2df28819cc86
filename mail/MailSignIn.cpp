#include "mail/MailSignIn.h"

MailSignIn::MailSignIn(PasswordStore &store, const QString &host, quint16 port)
    : m_store(store)
    , m_host(host)
    , m_port(port)
{
}

QString MailSignIn::Key(const QString &user) const
{
    return PasswordStore::KeyFor(user, m_host, m_port);
}

MailSignIn::Answer MailSignIn::Next(SignInRequest &request)
{
    request.server = QStringLiteral("%1:%2").arg(m_host).arg(m_port);
    const bool first = !m_triedOnce;
    m_triedOnce = true;
    if (m_storedWasUsed && !request.reason.isEmpty())
        m_storedIsWrong = true;
    m_storedWasUsed = false;
    if (m_given) {
        if (!first)
            return Answer::NotGiven;
        request.password = *m_given;
        m_last = request;
        return Answer::Given;
    }
    request.canRemember = false;
    if (m_useStore) {
        const PasswordStore::Reading stored = m_store.Read(Key(request.user));
        request.canRemember = stored.status != PasswordStore::Status::Unavailable;
        if (first && stored.status == PasswordStore::Status::Found) {
            request.password = stored.password;
            request.remember = true;
            m_storedWasUsed = true;
            m_last = request;
            return Answer::Given;
        }
        request.remember = request.remember || stored.status == PasswordStore::Status::Found;
    }
    return Ask(request);
}

MailSignIn::Answer MailSignIn::Ask(SignInRequest &request)
{
    if (!m_asker)
        return Answer::NotGiven;
    if (!m_asker(request))
        return Answer::Cancelled;
    m_last = request;
    return Answer::Given;
}

void MailSignIn::Accepted()
{
    if (m_storedWasUsed || !m_useStore || m_given)
        return;
    if (m_last.remember && m_last.canRemember)
        m_store.Write(Key(m_last.user), m_last.password);
    else if (m_storedIsWrong)
        m_store.Remove(Key(m_last.user));
}
