#include "components/mmail/AddressHeader.h"
#include "components/mmail/MMail.h"
#include "mail/BasicRandom.h"
#include "mail/MailComposer.h"
#include "resources/StringTable.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <utility>

namespace {

// Drives the control through connect, send and disconnect as the send
// dialog does, recording what it reports.
struct Transfer
{
    QList<QPair<qint32, qint32>> progress;
    int done = 0;
    int error = 0;
    bool finished = false;
    bool answersSignIn = true;
    QStringList passwords; // given in turn when the server wants a sign-in
    QStringList reasons; // why each sign-in was asked for
    QString user;
    int signedIn = 0;

    void run(MMail &mail, int timeoutMs = 30000)
    {
        QObject context;
        QObject::connect(&mail, &MMail::Done, &context, [&] {
            ++done;
            if (done == 1)
                mail.setAction(MMail::Send);
            else if (done == 2)
                mail.setAction(MMail::Disconnect);
            else
                finished = true;
        });
        QObject::connect(&mail, &MMail::Progress, &context, [&](qint32 n, qint32 d) { progress.append({n, d}); });
        QObject::connect(&mail, &MMail::AsyncError, &context, [&](qint16 code, const QString &) {
            error = code;
            finished = true;
        });
        QObject::connect(&mail, &MMail::SignInNeeded, &context, [&](const QString &name, const QString &reason) {
            user = name;
            reasons << reason;
            if (!answersSignIn)
                return;
            if (passwords.isEmpty()) {
                mail.abort();
                finished = true;
            } else {
                QVERIFY(mail.signIn(name, passwords.takeFirst()));
            }
        });
        QObject::connect(&mail, &MMail::SignedIn, &context, [&] { ++signedIn; });
        QVERIFY(mail.setAction(MMail::Connect));
        QVERIFY(QTest::qWaitFor([&] { return finished; }, timeoutMs));
    }
};

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(7);
    for (char &c : bytes)
        c = char(gen.bounded(256));
    return bytes;
}

ClockReading fixedClock()
{
    return {QDateTime(QDate(2026, 12, 8), QTime(21, 5, 9)), QDateTime(QDate(2026, 12, 8), QTime(21, 5, 9), Qt::UTC)};
}

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Base64 as mail carries it: 57 bytes to a 76-column line, each ended by CR LF.
QByteArray base64Lines(const QByteArray &bytes)
{
    QByteArray lines;
    for (qsizetype at = 0; at < bytes.size(); at += 57)
        lines += bytes.mid(at, 57).toBase64() + "\r\n";
    return lines;
}

// What happens to the attachment's file after the message is composed.
enum class FileChange {
    RemovedBeforeSending,
    ShrunkBeforeSending,
    ShrinksWhileSent,
    GrowsWhileSent
};

void changeFile(const QString &path, FileChange change)
{
    switch (change) {
    case FileChange::RemovedBeforeSending:
        QVERIFY(QFile::remove(path));
        break;
    case FileChange::ShrunkBeforeSending:
    case FileChange::ShrinksWhileSent:
        QVERIFY(QFile::resize(path, 1000));
        break;
    case FileChange::GrowsWhileSent: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write("more"), 4);
        break;
    }
    }
}

} // namespace

Q_DECLARE_METATYPE(FileChange)

class TestMMail : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void realServerReceivesTheComposedMessage();
    void attachmentArrivesAsComposed_data();
    void attachmentArrivesAsComposed();
    void changedAttachmentFailsTheSend_data();
    void changedAttachmentFailsTheSend();
    void dotsAtLineStartsSurvive();
    void nonAsciiSubjectIsEncoded();
    void faults_data();
    void faults();
    void slowServerIsGivenUp_data();
    void slowServerIsGivenUp();
    void eventsComeAfterTheCallAndOneAtATime();
    void abortEndsTheTransferSilently();
    void lineBreaksInHeaderValuesAreRefused_data();
    void lineBreaksInHeaderValuesAreRefused();
    void boundaries_data();
    void boundaries();
    void secureSubmission_data();
    void secureSubmission();
    void messageIdsDifferAcrossSends();
    void refusedPasswordIsAskedAgain();
    void certificateFaults_data();
    void certificateFaults();
    void secureConnectionFaults_data();
    void secureConnectionFaults();
    void signInFaults_data();
    void signInFaults();
    void noPasswordOverPlainTextToAnotherMachine();
    void overlongAddressStopsBeforeConnecting_data();
    void overlongAddressStopsBeforeConnecting();
    void nonAsciiAddressStopsBeforeConnecting();
    void lineBreaksInTheUserNameAreRefused();
    void everyLineStaysUnder998Octets();
    void unfoldableHeaderValuesAreRefused_data();
    void unfoldableHeaderValuesAreRefused();

private:
    QString writeAttachment(const QByteArray &bytes);
    bool compose(MMail &mail, const QString &server, const QString &to,
                 const QString &subject = QStringLiteral("Test"));
    bool composeFrom(MMail &mail, const QString &server, const QString &from);
    // Composes a message to one recipient and sends it through the sink.
    Transfer sendThrough(const SmtpSink &sink, MMail &mail);
    QScopedPointer<TestEnvironment> m_env;
    QByteArray m_attachment;
    TestCertificates m_certificates;
};

void TestMMail::init()
{
    m_env.reset(new TestEnvironment);
    m_attachment = randomBytes(300 * 1024 + 17);
}

QString TestMMail::writeAttachment(const QByteArray &bytes)
{
    return WriteFile(m_env->path(QStringLiteral("work/Cube.exe")), bytes);
}

bool TestMMail::composeFrom(MMail &mail, const QString &server, const QString &from)
{
    BasicRandom random;
    MailComposer composer(mail, fixedClock, random);
    MailOrder order{QStringLiteral("Zoë Walker <zoe@example.net>, plain@example.com"),
                    from,
                    QStringLiteral("Secure"),
                    writeAttachment(m_attachment),
                    server,
                    false};
    return composer.Compose(order);
}

bool TestMMail::compose(MMail &mail, const QString &server, const QString &to, const QString &subject)
{
    BasicRandom random;
    MailComposer composer(mail, fixedClock, random);
    MailOrder order;
    order.recipients = to;
    order.sender = QStringLiteral("sender@example.org");
    order.subject = subject;
    order.attachment = writeAttachment(m_attachment);
    order.server = server;
    order.useDefaultServer = true;
    return composer.Compose(order);
}

Transfer TestMMail::sendThrough(const SmtpSink &sink, MMail &mail)
{
    Transfer t;
    if (!compose(mail, sink.server(), QStringLiteral("a@example.com")))
        t.error = -1;
    else
        t.run(mail);
    return t;
}

void TestMMail::realServerReceivesTheComposedMessage()
{
    SmtpSink sink;
    QVERIFY(sink.isRunning());
    MMail mail;
    QVERIFY(compose(mail, sink.server(), QStringLiteral("one@example.com, Two <two@example.net>,three@example.org")));
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, 0);
    QCOMPARE(t.done, 3);
    QVERIFY(!t.progress.isEmpty());
    QCOMPARE(t.progress.last().first, t.progress.last().second);
    for (int i = 1; i < t.progress.size(); ++i)
        QVERIFY(t.progress.at(i).first > t.progress.at(i - 1).first);

    const QString eml = sink.messagePath(1);
    QVERIFY(!eml.isEmpty());
    const QJsonObject envelope = sink.envelope(1);
    QCOMPARE(envelope.value("mail_from").toString(), QStringLiteral("sender@example.org"));
    QCOMPARE(envelope.value("rcpt_tos").toArray(),
             QJsonArray({"one@example.com", "two@example.net", "three@example.org"}));

    const QJsonObject m = SmtpSink::inspect(eml);
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    QVERIFY(m.value("crlf_only").toBool());
    QCOMPARE(m.value("header_names").toArray(),
             QJsonArray({"Date", "From", "To", "Subject", "X-Mailer", "X-NorvaneProduct", "Content-Type", "Message-ID",
                         "MIME-Version"}));
    const QJsonObject headers = m.value("headers").toObject();
    QCOMPARE(headers.value("Date").toString(), QStringLiteral("Tue, 08 Dec 2026 21:05:09 +0000"));
    QCOMPARE(headers.value("X-Mailer").toString(), QStringLiteral("Norvane(R) Vexilo, 2.0.45, ENU"));
    QCOMPARE(headers.value("X-NorvaneProduct").toString(), MailComposer::ProductToken());
    QCOMPARE(m.value("boundary").toString(), QStringLiteral("70554751157_boundary"));

    const QJsonArray parts = m.value("parts").toArray();
    QCOMPARE(parts.size(), 2);
    const QJsonObject attachment = parts.at(1).toObject();
    QCOMPARE(attachment.value("content_type").toString(), QStringLiteral("application/octet-stream"));
    QCOMPARE(attachment.value("filename").toString(), QStringLiteral("Cube.exe"));
    QCOMPARE(attachment.value("encoding").toString(), QStringLiteral("base64"));
    QCOMPARE(attachment.value("sha256").toString(), sha256(m_attachment));
    const QJsonObject body = parts.at(0).toObject();
    QCOMPARE(body.value("content_type").toString(), QStringLiteral("text/plain"));
    QCOMPARE(body.value("charset").toString(), QStringLiteral("us-ascii"));
    QCOMPARE(body.value("encoding").toString(), QStringLiteral("7bit"));
    QCOMPARE(body.value("text").toString(), LoadResString(67));

    // Base64 lines are 76 columns.
    const QByteArray raw = ReadFile(eml);
    const qsizetype start = raw.indexOf("\r\n\r\n", raw.indexOf("application/octet-stream")) + 4;
    QCOMPARE(raw.indexOf("\r\n", start) - start, 76);
}

void TestMMail::attachmentArrivesAsComposed_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one byte") << 1;
    QTest::newRow("one short of a line") << 56;
    QTest::newRow("one line") << 57;
    QTest::newRow("one past a line") << 58;
    QTest::newRow("3000 lines and a byte") << 3 * 57 * 1000 + 1;
    QTest::newRow("five megabytes and a bit") << 5 * 1024 * 1024 + 11;
}

void TestMMail::attachmentArrivesAsComposed()
{
    QFETCH(int, size);
    m_attachment = randomBytes(size);
    SmtpSink sink;
    QVERIFY(sink.isRunning());
    MMail mail;
    const Transfer t = sendThrough(sink, mail);
    QCOMPARE(t.error, 0);
    const QByteArray received = ReadFile(sink.messagePath(1));

    // The same message with the attachment's bytes in memory.
    MimeMessage inMemory = mail.message();
    inMemory.parts[1].content = m_attachment;
    QCOMPARE(received, inMemory.render());
    const QByteArray head = "Content-Disposition: attachment; filename=\"Cube.exe\"\r\n\r\n";
    const qsizetype start = received.indexOf(head) + head.size();
    const QByteArray encoded = base64Lines(m_attachment);
    QCOMPARE(received.mid(start, encoded.size()), encoded);
    QVERIFY(received.mid(start + encoded.size()).startsWith("--70554751157_boundary--\r\n"));
    QVERIFY(!t.progress.isEmpty());
    QCOMPARE(t.progress.last(), qMakePair(qint32(received.size()), qint32(received.size())));
}

void TestMMail::changedAttachmentFailsTheSend_data()
{
    QTest::addColumn<FileChange>("change");
    QTest::newRow("removed before sending") << FileChange::RemovedBeforeSending;
    QTest::newRow("shrunk before sending") << FileChange::ShrunkBeforeSending;
    QTest::newRow("shrinks while sent") << FileChange::ShrinksWhileSent;
    QTest::newRow("grows while sent") << FileChange::GrowsWhileSent;
}

void TestMMail::changedAttachmentFailsTheSend()
{
    QFETCH(FileChange, change);
    m_attachment = randomBytes(6 * 1024 * 1024);
    SmtpSink sink;
    QVERIFY(sink.isRunning());
    MMail mail;
    QVERIFY(compose(mail, sink.server(), QStringLiteral("a@example.com")));
    const QString path = m_env->path(QStringLiteral("work/Cube.exe"));
    bool changed = false;
    const auto changeOnce = [&] {
        if (!std::exchange(changed, true))
            changeFile(path, change);
    };
    if (change == FileChange::ShrinksWhileSent || change == FileChange::GrowsWhileSent)
        connect(&mail, &MMail::Progress, &mail, changeOnce);
    else
        changeOnce();
    Transfer t;
    t.run(mail);
    QVERIFY(changed);
    QCOMPARE(t.error, int(MMail::AttachmentUnreadable));
    QCOMPARE(mail.lastError(), t.error);
    QCOMPARE(t.done, 1);

    // The server kept nothing of it: the next message is the only one it holds.
    MMail next;
    QCOMPARE(sendThrough(sink, next).error, 0);
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("parts").toArray().at(1).toObject().value("sha256").toString(), sha256(m_attachment));
    QCOMPARE(sink.messageCount(), 1);
}

void TestMMail::dotsAtLineStartsSurvive()
{
    SmtpSink sink;
    MMail mail;
    const QString text = QStringLiteral(".first\r\n..second\r\n.\r\nlast line\n.");
    QVERIFY(mail.setAction(MMail::NewMessage));
    mail.setFrom(QStringLiteral("a@example.org"));
    mail.setTo(QStringLiteral("b@example.org"));
    mail.setContentType(QStringLiteral("multipart"));
    mail.setContentSubType(QStringLiteral("mixed"));
    mail.setContentParameters(QStringLiteral("boundary=b1"));
    QVERIFY(mail.setBoundary(QStringLiteral("b1")));
    QVERIFY(mail.setAction(MMail::EndEntity));
    QVERIFY(mail.setAction(MMail::NewPart));
    mail.setContentType(QStringLiteral("text"));
    mail.setContentSubType(QStringLiteral("plain"));
    mail.setContentTransferEncoding(QStringLiteral("7bit"));
    QVERIFY(mail.setBodyText(0, text));
    QVERIFY(mail.setAction(MMail::AddPart));
    mail.setServer(sink.server());
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, 0);
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("parts").toArray().at(0).toObject().value("text").toString(),
             QStringLiteral(".first\r\n..second\r\n.\r\nlast line\r\n."));
}

void TestMMail::nonAsciiSubjectIsEncoded()
{
    SmtpSink sink;
    MMail mail;
    const QString subject =
        QStringLiteral("Grüße aus Köln — ein Würfel für dich, mit sehr langem Betreff, der umbrochen werden muss 🎲");
    QVERIFY(compose(mail, sink.server(), QStringLiteral("x@example.com"), subject));
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, 0);
    const QString eml = sink.messagePath(1);
    const QByteArray raw = ReadFile(eml);
    const QByteArray head = raw.left(raw.indexOf("\r\n\r\n"));
    for (char c : head)
        QVERIFY(uchar(c) < 0x80);
    const QJsonObject m = SmtpSink::inspect(eml);
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    QCOMPARE(m.value("headers").toObject().value("Subject").toString(), subject);
}

void TestMMail::faults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("error");
    const int none = -1;
    QTest::newRow("refused port") << none << QStringLiteral("127.0.0.1:%1").arg(ClosedPort()) << 10061;
    QTest::newRow("name under .invalid") << none << QStringLiteral("mail.nosuchhost.invalid") << 11001;
    QTest::newRow("port out of range") << none << QStringLiteral("127.0.0.1:70000") << 10049;
    QTest::newRow("no greeting") << int(ScriptedPeer::NoGreeting) << QString() << 10060;
    QTest::newRow("421 greeting") << int(ScriptedPeer::Greeting421) << QString() << 10025;
    QTest::newRow("550 to one RCPT") << int(ScriptedPeer::RefuseSecondRcpt) << QString() << 1101;
    QTest::newRow("552 after the data") << int(ScriptedPeer::Refuse552AfterData) << QString() << 20112;
    QTest::newRow("hang-up mid-data") << int(ScriptedPeer::HangUpInData) << QString() << 10053;
    QTest::newRow("100 KB reply line") << int(ScriptedPeer::HugeReplyLine) << QString() << 10025;
    QTest::newRow("replies byte by byte") << int(ScriptedPeer::ByteByByte) << QString() << 0;
    QTest::newRow("replies over many lines") << int(ScriptedPeer::ManyLines) << QString() << 0;
    QTest::newRow("EHLO refused by a plain relay") << int(ScriptedPeer::EhloRefused) << QString() << 0;
}

void TestMMail::faults()
{
    QFETCH(int, fault);
    QFETCH(QString, server);
    QFETCH(int, error);
    QScopedPointer<ScriptedPeer> peer(fault >= 0 ? new ScriptedPeer(ScriptedPeer::Fault(fault)) : nullptr);
    MMail mail;
    // A reply must arrive whole within the reply timeout; one sent a byte
    // at a time takes the test's event loop about 10 ms a byte.
    mail.setReplyTimeout(fault == ScriptedPeer::ByteByByte ? 5000 : 500);
    mail.setConnectTimeout(2000);
    QVERIFY(compose(mail, peer ? peer->server() : server, QStringLiteral("a@example.com, b@example.com")));
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, error);
    QCOMPARE(mail.lastError(), error);
    if (peer && error == 0) {
        QCOMPARE(t.done, 3);
        QVERIFY(peer->messageAccepted());
        QVERIFY(peer->commands().contains(QStringLiteral("RCPT TO:<b@example.com>")));
        QVERIFY(peer->data().contains("Content-Type: multipart/mixed; boundary=70554751157_boundary\r\n"));
    }
    if (peer && error != 0)
        QVERIFY(!peer->messageAccepted());
}

void TestMMail::slowServerIsGivenUp_data()
{
    QTest::addColumn<int>("replyTimeout");
    QTest::addColumn<int>("deadline");
    // Each reply takes over four seconds, a byte every 100 ms.
    QTest::newRow("reply timeout runs from the command") << 500 << 600000;
    QTest::newRow("deadline of the whole operation") << 20000 << 1000;
}

void TestMMail::slowServerIsGivenUp()
{
    QFETCH(int, replyTimeout);
    QFETCH(int, deadline);
    ScriptedPeer peer(ScriptedPeer::Trickle);
    MMail mail;
    mail.setReplyTimeout(replyTimeout);
    mail.setOperationDeadline(deadline);
    QVERIFY(compose(mail, peer.server(), QStringLiteral("a@example.com")));
    Transfer t;
    t.run(mail, 8000);
    QCOMPARE(t.error, 10060);
    QCOMPARE(t.done, 0);
}

void TestMMail::eventsComeAfterTheCallAndOneAtATime()
{
    ScriptedPeer peer(ScriptedPeer::NoFault);
    MMail mail;
    QVERIFY(compose(mail, peer.server(), QStringLiteral("a@example.com")));
    int inHandler = 0;
    int overlaps = 0;
    int events = 0;
    bool finished = false;
    auto enter = [&] {
        ++events;
        if (inHandler++)
            ++overlaps;
        QTest::qWait(20); // a handler that runs the event loop, as a message box does
        --inHandler;
    };
    connect(&mail, &MMail::Progress, this, enter);
    connect(&mail, &MMail::Done, this, [&] {
        enter();
        finished = true;
    });
    QSignalSpy done(&mail, &MMail::Done);
    QVERIFY(mail.setAction(MMail::Connect));
    QCOMPARE(done.count(), 0);
    QVERIFY(QTest::qWaitFor([&] { return finished; }, 10000));
    finished = false;
    QVERIFY(mail.setAction(MMail::Send));
    QCOMPARE(done.count(), 1);
    QVERIFY(QTest::qWaitFor([&] { return finished; }, 10000));
    QVERIFY(events > 2);
    QCOMPARE(overlaps, 0);

    // A failure found at once is reported only after the call returns.
    MMail refused;
    refused.setServer(QStringLiteral("127.0.0.1:0"));
    QSignalSpy error(&refused, &MMail::AsyncError);
    QVERIFY(refused.setAction(MMail::Connect));
    QCOMPARE(error.count(), 0);
    QVERIFY(error.wait(5000));
}

void TestMMail::abortEndsTheTransferSilently()
{
    ScriptedPeer peer(ScriptedPeer::NoFault);
    m_attachment = randomBytes(8 * 1024 * 1024);
    MMail mail;
    QVERIFY(compose(mail, peer.server(), QStringLiteral("a@example.com")));
    QSignalSpy done(&mail, &MMail::Done);
    QSignalSpy errors(&mail, &MMail::AsyncError);
    QVERIFY(mail.setAction(MMail::Connect));
    QVERIFY(done.wait(5000));
    connect(&mail, &MMail::Progress, &mail, &MMail::abort);
    QVERIFY(mail.setAction(MMail::Send));
    QTest::qWait(500);
    QCOMPARE(done.count(), 1);
    QCOMPARE(errors.count(), 0);
    QVERIFY(!peer.messageAccepted());
}

void TestMMail::lineBreaksInHeaderValuesAreRefused_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("subject");
    const QString ok = QStringLiteral("a@example.com");
    QTest::newRow("LF in To") << QStringLiteral("a@example.com\nBcc: victim@example.net") << ok << QStringLiteral("s");
    QTest::newRow("CR in From") << ok << QStringLiteral("a@example.com\rRCPT TO:<x@y>") << QStringLiteral("s");
    QTest::newRow("CR LF in Subject") << ok << ok << QStringLiteral("Hi\r\nBcc: victim@example.net");
    QTest::newRow("NUL in Subject") << ok << ok << QStringLiteral("Hi") + QChar(0) + QStringLiteral("there");
}

void TestMMail::lineBreaksInHeaderValuesAreRefused()
{
    QFETCH(QString, to);
    QFETCH(QString, from);
    QFETCH(QString, subject);
    MMail mail;
    BasicRandom random;
    MailComposer composer(mail, fixedClock, random);
    MailOrder order{to, from, subject, writeAttachment("MZ"), QStringLiteral("localhost"), false};
    QVERIFY(!composer.Compose(order));
    QCOMPARE(mail.lastError(), 0);
    QVERIFY(!mail.message().render().contains("victim"));
}

void TestMMail::boundaries_data()
{
    QTest::addColumn<QString>("boundary");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("usual") << QStringLiteral("70554751157_boundary") << true;
    QTest::newRow("70 characters") << QString(70, QLatin1Char('b')) << true;
    QTest::newRow("71 characters") << QString(71, QLatin1Char('b')) << false;
    QTest::newRow("trailing line feed") << QStringLiteral("abc\n") << false;
    QTest::newRow("trailing blank") << QStringLiteral("abc ") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestMMail::boundaries()
{
    QFETCH(QString, boundary);
    QFETCH(bool, accepted);
    MMail mail;
    QCOMPARE(mail.setBoundary(boundary), accepted);
}

void TestMMail::secureSubmission_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("mechanisms");
    QTest::addColumn<QString>("password");
    QTest::newRow("STARTTLS, PLAIN") << "smtp"
                                     << "--starttls"
                                     << "PLAIN,LOGIN"
                                     << "secret";
    QTest::newRow("STARTTLS, LOGIN only") << "smtp"
                                          << "--starttls"
                                          << "LOGIN"
                                          << "secret";
    QTest::newRow("TLS on connect") << "smtps"
                                    << "--tls-on-connect"
                                    << "PLAIN,LOGIN"
                                    << "secret";
    QTest::newRow("non-ASCII password") << "smtp"
                                        << "--starttls"
                                        << "PLAIN"
                                        << "pässwörd€";
}

void TestMMail::secureSubmission()
{
    QFETCH(QString, scheme);
    QFETCH(QString, mode);
    QFETCH(QString, mechanisms);
    QFETCH(QString, password);
    const TestCertificates::Pair cert = m_certificates.issue(TestCertificates::Trusted);
    SmtpSink sink({mode, cert.cert, cert.key, "--auth", "zoe", password, "--mechanisms", mechanisms});
    QVERIFY(sink.isRunning());
    MMail mail;
    mail.setCaCertificateFile(m_certificates.caFile());
    const QString server = QStringLiteral("%1://zoe@localhost:%2").arg(scheme).arg(sink.port());
    QVERIFY(composeFrom(mail, server, QStringLiteral("Zoë Walker <zoe@example.com>")));
    Transfer t;
    t.passwords = {password};
    t.run(mail);
    QCOMPARE(t.error, 0);
    QCOMPARE(t.done, 3);
    QCOMPARE(t.user, QStringLiteral("zoe"));
    QCOMPARE(t.signedIn, 1);
    const QString expected = mechanisms.section(QLatin1Char(','), 0, 0);
    QCOMPARE(sink.signIns(), QJsonArray({QJsonArray({expected, "zoe", true})}));

    const QString eml = sink.messagePath(1);
    const QJsonObject m = SmtpSink::inspect(eml);
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    const QJsonObject headers = m.value("headers").toObject();
    QCOMPARE(headers.value("From").toString(), QStringLiteral("Zoë Walker <zoe@example.com>"));
    QCOMPARE(headers.value("To").toString(), QStringLiteral("Zoë Walker <zoe@example.net>, plain@example.com"));
    QVERIFY(headers.value("Message-ID").toString().endsWith(QStringLiteral("@example.com>")));
    QCOMPARE(headers.value("MIME-Version").toString(), QStringLiteral("1.0"));
    const QByteArray raw = ReadFile(eml);
    for (char c : raw.left(raw.indexOf("\r\n\r\n")))
        QVERIFY(uchar(c) < 0x80);
    QCOMPARE(m.value("parts").toArray().at(1).toObject().value("sha256").toString(), sha256(m_attachment));
}

void TestMMail::messageIdsDifferAcrossSends()
{
    SmtpSink sink;
    QStringList ids;
    for (int n = 1; n <= 2; ++n) {
        MMail mail;
        QVERIFY(compose(mail, sink.server(), QStringLiteral("a@example.com")));
        Transfer t;
        t.run(mail);
        QCOMPARE(t.error, 0);
        ids << SmtpSink::inspect(sink.messagePath(n)).value("headers").toObject().value("Message-ID").toString();
    }
    QVERIFY(ids.at(0).startsWith(QLatin1Char('<')));
    QVERIFY(ids.at(0).endsWith(QStringLiteral("@example.org>")));
    QVERIFY(ids.at(0) != ids.at(1));
}

void TestMMail::refusedPasswordIsAskedAgain()
{
    const TestCertificates::Pair cert = m_certificates.issue(TestCertificates::Trusted);
    SmtpSink sink({"--starttls", cert.cert, cert.key, "--auth", "zoe@example.com", "right"});
    MMail mail;
    mail.setCaCertificateFile(m_certificates.caFile());
    QVERIFY(
        composeFrom(mail, QStringLiteral("smtp://localhost:%1").arg(sink.port()), QStringLiteral("zoe@example.com")));
    Transfer t;
    t.passwords = {QStringLiteral("wrong"), QStringLiteral("right")};
    t.run(mail);
    QCOMPARE(t.error, 0);
    QCOMPARE(t.user, QStringLiteral("zoe@example.com")); // the From address when the server text names nobody
    QCOMPARE(t.reasons.size(), 2);
    QVERIFY(t.reasons.at(0).isEmpty());
    QVERIFY(t.reasons.at(1).startsWith(QStringLiteral("535")));
    QCOMPARE(sink.signIns().size(), 2);
    QVERIFY(!sink.messagePath(1).isEmpty());
}

void TestMMail::certificateFaults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("authorities"); // "ca" names the test authority's file
    QTest::addColumn<QString>("reason"); // how the error text starts, when it matters
    QTest::newRow("unknown authority") << int(TestCertificates::Trusted) << QString() << QString();
    QTest::newRow("self-signed") << int(TestCertificates::SelfSigned) << "ca" << QString();
    QTest::newRow("another name") << int(TestCertificates::OtherName) << "ca" << QString();
    QTest::newRow("expired") << int(TestCertificates::Expired) << "ca" << QString();
    QTest::newRow("authorities file without a certificate") << int(TestCertificates::Trusted) << "notes.txt"
                                                            << "No certificate could be read from";
}

void TestMMail::certificateFaults()
{
    QFETCH(int, kind);
    QFETCH(QString, authorities);
    QFETCH(QString, reason);
    const TestCertificates::Pair cert = m_certificates.issue(TestCertificates::Kind(kind));
    SmtpSink sink({"--tls-on-connect", cert.cert, cert.key, "--auth", "zoe", "secret"});
    QVERIFY(sink.isRunning());
    MMail mail;
    if (authorities == QLatin1String("ca"))
        mail.setCaCertificateFile(m_certificates.caFile());
    else if (!authorities.isEmpty())
        mail.setCaCertificateFile(WriteFile(m_env->path(authorities), "no certificate here\n"));
    QVERIFY(composeFrom(mail, QStringLiteral("smtps://zoe@localhost:%1").arg(sink.port()),
                        QStringLiteral("zoe@example.com")));
    Transfer t;
    t.passwords = {QStringLiteral("secret")};
    t.run(mail);
    QCOMPARE(t.error, int(MMail::CertificateRejected));
    QVERIFY(!mail.lastErrorText().isEmpty());
    QVERIFY2(mail.lastErrorText().startsWith(reason), qPrintable(mail.lastErrorText()));
    QVERIFY(t.reasons.isEmpty());
    QCOMPARE(sink.signIns(), QJsonArray());
    QCOMPARE(sink.messageCount(), 0);
}

void TestMMail::secureConnectionFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<int>("error");
    QTest::newRow("STARTTLS required, not offered") << -1 << "smtp" << int(MMail::SecureConnectionUnavailable);
    QTest::newRow("TLS on connect to a plain server") << -1 << "smtps" << int(MMail::SecureConnectionFailed);
    QTest::newRow("STARTTLS refused with 454")
        << int(ScriptedPeer::StartTlsRefused) << "smtp" << int(MMail::SecureConnectionUnavailable);
    QTest::newRow("EHLO refused, STARTTLS required")
        << int(ScriptedPeer::EhloRefused) << "smtp" << int(MMail::SecureConnectionNotStarted);
    QTest::newRow("hang-up in the handshake")
        << int(ScriptedPeer::HangUpInHandshake) << "smtp" << int(MMail::SecureConnectionFailed);
}

void TestMMail::secureConnectionFaults()
{
    QFETCH(int, fault);
    QFETCH(QString, scheme);
    QFETCH(int, error);
    QScopedPointer<SmtpSink> sink(fault < 0 ? new SmtpSink : nullptr);
    QScopedPointer<ScriptedPeer> peer(fault >= 0 ? new ScriptedPeer(ScriptedPeer::Fault(fault)) : nullptr);
    const quint16 port = sink ? sink->port() : peer->port();
    MMail mail;
    mail.setReplyTimeout(5000);
    QVERIFY(compose(mail, QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port), QStringLiteral("a@example.com")));
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, error);
    if (sink)
        QCOMPARE(sink->messageCount(), 0);
    if (peer) {
        QVERIFY(!peer->commands().contains(QStringLiteral("MAIL FROM:<sender@example.org>")));
        QVERIFY(peer->commands().filter(QStringLiteral("HELO")).isEmpty());
    }
}

void TestMMail::signInFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("error");
    QTest::newRow("534 web sign-in") << int(ScriptedPeer::WebSignInRequired) << int(MMail::WebSignInRequired);
    QTest::newRow("CRAM-MD5 and XOAUTH2 only")
        << int(ScriptedPeer::OnlyCramAndOAuth) << int(MMail::SignInMethodUnsupported);
}

void TestMMail::signInFaults()
{
    QFETCH(int, fault);
    QFETCH(int, error);
    ScriptedPeer peer{ScriptedPeer::Fault(fault)};
    MMail mail;
    QVERIFY(compose(mail, peer.server(), QStringLiteral("a@example.com")));
    Transfer t;
    t.passwords = {QStringLiteral("secret")};
    t.run(mail);
    QCOMPARE(t.error, error);
    QVERIFY(!peer.messageAccepted());
    QVERIFY(peer.commands().filter(QStringLiteral("MAIL")).isEmpty());
}

// A machine's own address other than loopback: plain text to it leaves
// the machine as far as the transport can tell.
void TestMMail::noPasswordOverPlainTextToAnotherMachine()
{
    QHostAddress outside;
    for (const QHostAddress &address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            outside = address;
    if (outside.isNull())
        QSKIP("No address other than loopback");
    ScriptedPeer peer(ScriptedPeer::SignInAskedFor, QHostAddress::AnyIPv4);
    MMail mail;
    QVERIFY(compose(mail, QStringLiteral("%1:%2").arg(outside.toString()).arg(peer.port()),
                    QStringLiteral("a@example.com")));
    Transfer t;
    t.passwords = {QStringLiteral("secret")};
    t.run(mail);
    QCOMPARE(t.error, int(MMail::InsecureSignIn));
    QVERIFY(t.reasons.isEmpty());
    QVERIFY(peer.commands().filter(QStringLiteral("AUTH")).isEmpty());
}

void TestMMail::overlongAddressStopsBeforeConnecting_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("overlong");
    const QString longest = QString(242, QLatin1Char('a')) + QStringLiteral("@example.com");
    const QString overlong = QLatin1Char('b') + longest;
    QCOMPARE(longest.size(), MaxAddressOctets);
    QTest::newRow("second recipient") << longest + QStringLiteral(", ") + overlong << QString() << overlong;
    QTest::newRow("second From entry") << longest << QStringLiteral("Me <me@example.org>, Other <") + overlong
                                       << QStringLiteral("Other <") + overlong;
}

void TestMMail::overlongAddressStopsBeforeConnecting()
{
    QFETCH(QString, to);
    QFETCH(QString, from);
    QFETCH(QString, overlong);
    ScriptedPeer peer(ScriptedPeer::NoFault);
    MMail mail;
    QVERIFY(compose(mail, peer.server(), to));
    if (!from.isEmpty())
        QVERIFY(mail.setFrom(from));
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, int(MMail::AddressTooLong));
    QCOMPARE(mail.lastErrorText(), overlong);
    QVERIFY(peer.commands().isEmpty());
}

void TestMMail::nonAsciiAddressStopsBeforeConnecting()
{
    ScriptedPeer peer(ScriptedPeer::NoFault);
    MMail mail;
    QVERIFY(compose(mail, peer.server(), QStringLiteral("ok@example.com, zoë@exämple.com")));
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, int(MMail::AddressNotAscii));
    QCOMPARE(mail.lastErrorText(), QStringLiteral("zoë@exämple.com"));
    QVERIFY(peer.commands().isEmpty());
}

void TestMMail::lineBreaksInTheUserNameAreRefused()
{
    ScriptedPeer peer(ScriptedPeer::SignInAskedFor);
    MMail mail;
    QVERIFY(compose(mail, peer.server(), QStringLiteral("a@example.com")));
    bool asked = false;
    connect(&mail, &MMail::SignInNeeded, this, [&] {
        asked = true;
        QVERIFY(!mail.signIn(QStringLiteral("zoe\r\nMAIL FROM:<x@y>"), QStringLiteral("secret")));
        QVERIFY(!mail.signIn(QStringLiteral("zoe"), QStringLiteral("se\ncret")));
        QVERIFY(mail.signIn(QStringLiteral("zoe"), QStringLiteral("secret")));
    });
    Transfer t;
    t.answersSignIn = false;
    t.run(mail);
    QCOMPARE(t.error, 0);
    QVERIFY(asked);
    QCOMPARE(peer.commands().filter(QStringLiteral("AUTH")).size(), 1);
}

void TestMMail::everyLineStaysUnder998Octets()
{
    SmtpSink sink;
    MMail mail;
    QStringList recipients;
    for (int i = 0; i < 120; ++i)
        recipients << QStringLiteral("recipient%1@example.com").arg(i);
    QVERIFY(compose(mail, sink.server(), recipients.join(QLatin1Char(',')), QString(2000, QLatin1Char('x'))));
    Transfer t;
    t.run(mail);
    QCOMPARE(t.error, 0);
    const QString eml = sink.messagePath(1);
    for (const QByteArray &line : ReadFile(eml).split('\n'))
        QVERIFY2(line.size() < 998, line.left(60).constData());
    const QJsonObject m = SmtpSink::inspect(eml);
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    QCOMPARE(m.value("headers").toObject().value("Subject").toString(), QString(2000, QLatin1Char('x')));
    QCOMPARE(sink.envelope(1).value("rcpt_tos").toArray().size(), 120);
}

void TestMMail::unfoldableHeaderValuesAreRefused_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("headerLine");
    QTest::addColumn<bool>("taken");
    const QString word = QString(1000, QLatin1Char('x'));
    QTest::newRow("long date with blanks") << QStringLiteral("Tue, ").repeated(300) << QStringLiteral("X-A: b") << true;
    QTest::newRow("date as one long word") << word << QStringLiteral("X-A: b") << false;
    QTest::newRow("non-ASCII date over the limit") << QString(340, QChar(0xfffd)) << QStringLiteral("X-A: b") << false;
    QTest::newRow("header line as one long word") << QStringLiteral("Tue") << QStringLiteral("X-A: ") + word << false;
    QTest::newRow("long header line with blanks")
        << QStringLiteral("Tue") << QStringLiteral("X-A:") + QStringLiteral(" b").repeated(900) << true;
}

void TestMMail::unfoldableHeaderValuesAreRefused()
{
    QFETCH(QString, date);
    QFETCH(QString, headerLine);
    QFETCH(bool, taken);
    MMail mail;
    QCOMPARE(mail.setDate(date) && mail.setHeaderLine(0, headerLine), taken);
}

QTEST_MAIN(TestMMail)
#include "tst_mmail.moc"
