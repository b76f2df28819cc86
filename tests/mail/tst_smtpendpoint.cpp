#include "components/mmail/SmtpEndpoint.h"

#include <QTest>

Q_DECLARE_METATYPE(SmtpEndpoint::Security)

// What the alternate server text means: where to connect and how securely.
class TestSmtpEndpoint : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void refused_data();
    void refused();
};

void TestSmtpEndpoint::parse_data()
{
    using S = SmtpEndpoint::Security;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<S>("security");
    QTest::addColumn<QString>("user");
    QTest::newRow("host") << "mail.example.com"
                          << "mail.example.com" << 25 << S::StartTlsWhenOffered << "";
    QTest::newRow("host:port") << "mail.example.com:2525"
                               << "mail.example.com" << 2525 << S::StartTlsWhenOffered << "";
    QTest::newRow("587 requires STARTTLS") << "mail.example.com:587"
                                           << "mail.example.com" << 587 << S::StartTlsRequired << "";
    QTest::newRow("465 is TLS on connect") << "mail.example.com:465"
                                           << "mail.example.com" << 465 << S::TlsOnConnect << "";
    QTest::newRow("IPv6 literal") << "[::1]:2525"
                                  << "::1" << 2525 << S::StartTlsWhenOffered << "";
    QTest::newRow("blanks around") << "  localhost  "
                                   << "localhost" << 25 << S::StartTlsWhenOffered << "";
    QTest::newRow("smtp://") << "smtp://mail.example.com"
                             << "mail.example.com" << 587 << S::StartTlsRequired << "";
    QTest::newRow("smtp:// with user and port") << "smtp://me@mail.example.com:25"
                                                << "mail.example.com" << 25 << S::StartTlsRequired << "me";
    QTest::newRow("smtps://") << "smtps://me@mail.example.com"
                              << "mail.example.com" << 465 << S::TlsOnConnect << "me";
    QTest::newRow("user with an @, encoded") << "SMTPS://me%40example.com@mail.example.com/"
                                             << "mail.example.com" << 465 << S::TlsOnConnect << "me@example.com";
}

void TestSmtpEndpoint::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(SmtpEndpoint::Security, security);
    QFETCH(QString, user);
    const std::optional<SmtpEndpoint> e = SmtpEndpoint::Parse(text);
    QVERIFY(e);
    QCOMPARE(e->host, host);
    QCOMPARE(int(e->port), port);
    QCOMPARE(e->security, security);
    QCOMPARE(e->user, user);
}

void TestSmtpEndpoint::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("other scheme") << "http://mail.example.com";
    QTest::newRow("port 0") << "mail.example.com:0";
    QTest::newRow("port too large") << "smtps://mail.example.com:70000";
    QTest::newRow("port not a number") << "mail.example.com:smtp";
}

void TestSmtpEndpoint::refused()
{
    QFETCH(QString, text);
    QVERIFY(!SmtpEndpoint::Parse(text));
}

QTEST_MAIN(TestSmtpEndpoint)
#include "tst_smtpendpoint.moc"
