#pragma once

#include <QString>
#include <QTemporaryDir>

// A throwaway certificate authority made with openssl, and server
// certificates from it (or from nobody) for TLS peers on loopback.
class TestCertificates
{
public:
    enum Kind {
        Trusted, // signed by the authority, for "localhost" and 127.0.0.1
        SelfSigned, // for "localhost", signed by itself
        OtherName, // signed by the authority, for "mail.example.org" only
        Expired // signed by the authority, for "localhost", no longer valid
    };
    struct Pair
    {
        QString cert, key;
    };

    TestCertificates();
    bool isReady() const { return m_ready; }
    QString caFile() const;
    Pair issue(Kind kind);

private:
    bool run(const QStringList &arguments);

    QTemporaryDir m_dir;
    bool m_ready = false;
};
