#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "mail/MailSession.h"
#include "mail/MailSignIn.h"
#include "mail/PasswordStore.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestEnvironment.h"

#include <QJsonArray>
#include <QTest>

// Signing in through a whole mail session against a real server, with the
// secret store the environment provides (a running one or none at all).
class TestMailSignIn : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void rememberedPasswordIsNotAskedAgain();
    void wrongStoredPasswordIsReplaced();
    void cancelEndsTheSendQuietly();
    void givenPasswordRefusedIsNotAskedFor();

private:
    struct Outcome
    {
        bool accepted = false;
        QList<SignInRequest> asked;
    };
    // One send; the asker answers with the passwords in turn, then cancels.
    Outcome send(QStringList passwords, bool remember, std::optional<QString> given = std::nullopt);

    bool m_storeExpected = false;
    TestCertificates m_certificates;
    QScopedPointer<SmtpSink> m_sink;
    QScopedPointer<TestEnvironment> m_env;
    QString m_key;
};

void TestMailSignIn::initTestCase()
{
    m_storeExpected = qgetenv("VEXILO_EXPECT_SECRET_STORE") == "1";
    const TestCertificates::Pair cert = m_certificates.issue(TestCertificates::Trusted);
    m_sink.reset(new SmtpSink({"--starttls", cert.cert, cert.key, "--auth", "zoe@example.com", "secret"}));
    QVERIFY(m_sink->isRunning());
    m_key = PasswordStore::KeyFor(QStringLiteral("zoe@example.com"), QStringLiteral("localhost"), m_sink->port());
}

void TestMailSignIn::init()
{
    m_env.reset(new TestEnvironment);
    MessageSeam::reset();
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
    PasswordStore().Remove(m_key);
}

TestMailSignIn::Outcome TestMailSignIn::send(QStringList passwords, bool remember, std::optional<QString> given)
{
    Outcome outcome;
    MailSession session;
    session.Mail1.setCaCertificateFile(m_certificates.caFile());
    session.givenPassword = given;
    session.askSignIn = [&](SignInRequest &request) {
        outcome.asked << request;
        if (passwords.isEmpty())
            return false;
        request.password = passwords.takeFirst();
        request.remember = remember;
        return true;
    };
    bool finished = false;
    connect(&session, &MailSession::finished, this, [&] { finished = true; });
    const MailOrder order{QStringLiteral("friend@example.net"),
                          QStringLiteral("zoe@example.com"),
                          QStringLiteral("A cube"),
                          WriteFile(m_env->path(QStringLiteral("Cube.exe")), "MZ"),
                          QStringLiteral("smtp://localhost:%1").arg(m_sink->port()),
                          false};
    if (session.Send(order))
        (void)QTest::qWaitFor([&] { return finished; }, 30000);
    outcome.accepted = session.messageAccepted();
    return outcome;
}

void TestMailSignIn::rememberedPasswordIsNotAskedAgain()
{
    const Outcome first = send({QStringLiteral("secret")}, true);
    QVERIFY(first.accepted);
    QCOMPARE(first.asked.size(), 1);
    QCOMPARE(first.asked.at(0).user, QStringLiteral("zoe@example.com"));
    QCOMPARE(first.asked.at(0).canRemember, m_storeExpected);
    const Outcome second = send({QStringLiteral("secret")}, true);
    QVERIFY(second.accepted);
    QCOMPARE(second.asked.size(), m_storeExpected ? 0 : 1);
    const PasswordStore::Reading stored = PasswordStore().Read(m_key);
    QCOMPARE(stored.status, m_storeExpected ? PasswordStore::Status::Found : PasswordStore::Status::Unavailable);
    QCOMPARE(stored.password, m_storeExpected ? QStringLiteral("secret") : QString());
    // Never in the settings.
    QVERIFY(!m_env->readHive(QStringLiteral("user.reg")).contains("secret"));
}

void TestMailSignIn::wrongStoredPasswordIsReplaced()
{
    if (!m_storeExpected)
        QSKIP("Needs a secret store");
    QVERIFY(PasswordStore().Write(m_key, QStringLiteral("old")));
    const Outcome outcome = send({QStringLiteral("secret")}, true);
    QVERIFY(outcome.accepted);
    QCOMPARE(outcome.asked.size(), 1);
    QVERIFY(outcome.asked.at(0).reason.startsWith(QStringLiteral("535")));
    QVERIFY(outcome.asked.at(0).remember);
    QCOMPARE(PasswordStore().Read(m_key).password, QStringLiteral("secret"));
}

void TestMailSignIn::cancelEndsTheSendQuietly()
{
    const int before = m_sink->messageCount();
    const Outcome outcome = send({}, true);
    QVERIFY(!outcome.accepted);
    QCOMPARE(outcome.asked.size(), 1);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>());
    QCOMPARE(m_sink->messageCount(), before);
    QVERIFY(PasswordStore().Read(m_key).status != PasswordStore::Status::Found);
}

void TestMailSignIn::givenPasswordRefusedIsNotAskedFor()
{
    const Outcome outcome = send({QStringLiteral("secret")}, true, QStringLiteral("wrong"));
    QVERIFY(!outcome.accepted);
    QVERIFY(outcome.asked.isEmpty());
    QCOMPARE(MessageSeam::shownMessages(), QList<int>({Msg::SignInRefused}));
    QVERIFY(MessageSeam::shownTexts().constLast().contains(QStringLiteral("535")));
}

QTEST_MAIN(TestMailSignIn)
#include "tst_mailsignin.moc"
