#include "core/Settings.h"
#include "platform/registry/RegEdit.h"
#include "resources/StringTable.h"
#include "tests/support/MailProgramDesktop.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestEnvironment.h"

#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

namespace {
// The attachments' names; the picture inside the text is no attachment.
QStringList attachedNames(const QJsonObject &message)
{
    QStringList names;
    for (const QJsonValue part : message.value("parts").toArray())
        if (part.toObject().value("disposition").toString().startsWith(QLatin1String("attachment")))
            names << part.toObject().value("filename").toString();
    return names;
}
} // namespace

// vexilo-cube send, run as a user runs it, against a real SMTP server.
class TestSendCommand : public QObject
{
    Q_OBJECT
private slots:
    void sendsTheCubeThroughTheNamedServer();
    void failureExitsNonZeroWithTheMessage();
    void signsInOverTlsAndAttachesTheWebPage();
    void untrustedServerExitsNonZeroNamingIt();
    void caFileComesFromTheSettings_data();
    void caFileComesFromTheSettings();
    void attachChoices_data();
    void attachChoices();
    void refusingServerIsQuotedAndThenGetsTheWebPage();
    void messageShowsTheCubeAboveItsText();
    void mailProgramGetsTheMessageAfterTheCommandHasEnded();
    void usageErrors_data();
    void usageErrors();

private:
    static QProcess *run(const QStringList &args);
};

QProcess *TestSendCommand::run(const QStringList &args)
{
    auto *p = new QProcess;
    p->start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), args);
    p->waitForFinished(120000);
    return p;
}

void TestSendCommand::sendsTheCubeThroughTheNamedServer()
{
    TestEnvironment env;
    SmtpSink sink;
    QVERIFY(sink.isRunning());
    // GNU style, --option=value, as well as the value as the next argument.
    QScopedPointer<QProcess> p(run({"send", "--caption=For you", "--to", "a@example.com;b@example.net",
                                    "--from=me@example.org", "--subject", "A cube", "--server=" + sink.server()}));
    const QByteArray err = p->readAllStandardError();
    QVERIFY2(p->exitCode() == 0, err.constData());
    QVERIFY(err.contains(LoadResString(85).toUtf8()));
    QVERIFY(err.contains("[10/10]\nDone."));
    QCOMPARE(sink.envelope(1).value("rcpt_tos").toArray(), QJsonArray({"a@example.com", "b@example.net"}));
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    QCOMPARE(m.value("headers").toObject().value("Subject").toString(), QStringLiteral("A cube"));
    QVERIFY(!m.value("header_names").toArray().contains("X-NorvaneProduct"));
    QCOMPARE(attachedNames(m), QStringList{"Cube.exe"});
}

void TestSendCommand::failureExitsNonZeroWithTheMessage()
{
    TestEnvironment env;
    QScopedPointer<QProcess> p(run({"send", "--to", "a@example.com", "--from", "me@example.org", "--server",
                                    QStringLiteral("127.0.0.1:%1").arg(ClosedPort())}));
    QCOMPARE(p->exitCode(), 1);
    QVERIFY(p->readAllStandardError().contains(LoadResString(78).toUtf8()));
}

void TestSendCommand::signsInOverTlsAndAttachesTheWebPage()
{
    TestEnvironment env;
    TestCertificates certificates;
    const TestCertificates::Pair cert = certificates.issue(TestCertificates::Trusted);
    SmtpSink sink({"--tls-on-connect", cert.cert, cert.key, "--auth", "zoe", "s3cret"});
    QVERIFY(sink.isRunning());
    const QString passwordFile = WriteFile(env.path(QStringLiteral("password")), "s3cret\n");
    QScopedPointer<QProcess> p(
        run({"send", "--to", "a@example.com", "--from", "Zoë <zoe@example.org>", "--server",
             QStringLiteral("smtps://localhost:%1").arg(sink.port()), "--user", "zoe", "--password-file", passwordFile,
             "--cacert", certificates.caFile(), "--attach-web-page"}));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    QCOMPARE(sink.signIns(), QJsonArray({QJsonArray({"PLAIN", "zoe", true})}));
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    QCOMPARE(attachedNames(m), QStringList({"Cube.exe", "Cube.html"}));
    const QJsonObject page = m.value("parts").toArray().last().toObject();
    QCOMPARE(page.value("content_type").toString(), QStringLiteral("text/html"));
    QCOMPARE(page.value("encoding").toString(), QStringLiteral("base64"));
}

void TestSendCommand::untrustedServerExitsNonZeroNamingIt()
{
    TestEnvironment env;
    TestCertificates certificates;
    const TestCertificates::Pair cert = certificates.issue(TestCertificates::Trusted);
    SmtpSink sink({"--tls-on-connect", cert.cert, cert.key});
    qputenv("VEXILO_SMTP_PASSWORD", "unused");
    QScopedPointer<QProcess> p(run({"send", "--to", "a@example.com", "--from", "zoe@example.org", "--server",
                                    QStringLiteral("smtps://localhost:%1").arg(sink.port())}));
    qunsetenv("VEXILO_SMTP_PASSWORD");
    QCOMPARE(p->exitCode(), 1);
    const QString err = QString::fromUtf8(p->readAllStandardError());
    QVERIFY(err.contains(QStringLiteral("The mail server smtps://localhost:%1 could not prove").arg(sink.port())));
    QCOMPARE(sink.messageCount(), 0);
}

void TestSendCommand::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no recipient") << QStringList{"send", "--from", "me@example.org"};
    QTest::newRow("no sender") << QStringList{"send", "--to", "a@example.com"};
    QTest::newRow("face out of range") << QStringList{"send", "--face", "7=x.jpg", "--to", "a@b", "--from", "c@d"};
    QTest::newRow("option without value") << QStringList{"send", "--to"};
    QTest::newRow("unknown option") << QStringList{"send", "--to", "a@b", "--from", "c@d", "--bcc", "e@f"};
    QTest::newRow("stray argument") << QStringList{"send", "--to", "a@b", "--from", "c@d", "extra"};
    QTest::newRow("unknown attachment") << QStringList{"send", "--to", "a@b", "--from", "c@d", "--attach", "zip"};
    QTest::newRow("two attachment options")
        << QStringList{"send", "--to", "a@b", "--from", "c@d", "--attach", "web", "--attach-web-page"};
    QTest::newRow("unreadable password file")
        << QStringList{"send", "--to", "a@b", "--from", "c@d", "--password-file", "/nonexistent/password"};
}

void TestSendCommand::usageErrors()
{
    QFETCH(QStringList, args);
    TestEnvironment env;
    QScopedPointer<QProcess> p(run(args));
    QCOMPARE(p->exitCode(), 2);
    const QByteArray err = p->readAllStandardError();
    QVERIFY(err.contains("vexilo-cube send: "));
    QVERIFY(err.contains("usage: vexilo-cube send --to LIST --from ADDR"));
    QVERIFY(err.contains("Try 'vexilo-cube send --help' for more information."));
}

void TestSendCommand::caFileComesFromTheSettings_data()
{
    QTest::addColumn<bool>("giveOtherCaFile");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("the setting's CA file") << false << 0;
    QTest::newRow("--cacert wins over the setting") << true << 1;
}

void TestSendCommand::caFileComesFromTheSettings()
{
    QFETCH(bool, giveOtherCaFile);
    QFETCH(int, exitCode);
    TestEnvironment env;
    TestCertificates certificates;
    TestCertificates others;
    const TestCertificates::Pair cert = certificates.issue(TestCertificates::Trusted);
    SmtpSink sink({"--tls-on-connect", cert.cert, cert.key});
    QVERIFY(sink.isRunning());
    SetRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\Norvane\\Vexilo"), QStringLiteral("CACertFile"),
                      certificates.caFile());
    QStringList args{"send", "--to", "a@example.com", "--from", "me@example.org", "--server",
                     QStringLiteral("smtps://localhost:%1").arg(sink.port())};
    if (giveOtherCaFile)
        args << "--cacert" << others.caFile();
    QScopedPointer<QProcess> p(run(args));
    QVERIFY2(p->exitCode() == exitCode, p->readAllStandardError().constData());
    QCOMPARE(sink.messageCount(), exitCode == 0 ? 1 : 0);
}

void TestSendCommand::attachChoices_data()
{
    QTest::addColumn<QStringList>("option");
    QTest::addColumn<QStringList>("attached");
    QTest::newRow("default") << QStringList{} << QStringList{"Cube.exe"};
    QTest::newRow("web") << QStringList{"--attach", "web"} << QStringList{"Cube.html"};
    QTest::newRow("exe") << QStringList{"--attach=exe"} << QStringList{"Cube.exe"};
    QTest::newRow("both") << QStringList{"--attach", "both"} << QStringList{"Cube.exe", "Cube.html"};
    QTest::newRow("--attach-web-page") << QStringList{"--attach-web-page"} << QStringList{"Cube.exe", "Cube.html"};
}

void TestSendCommand::attachChoices()
{
    QFETCH(QStringList, option);
    QFETCH(QStringList, attached);
    TestEnvironment env;
    SmtpSink sink;
    QScopedPointer<QProcess> p(
        run(QStringList{"send", "--to", "a@example.com", "--from", "me@example.org", "--server", sink.server()} +
            option));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    QCOMPARE(attachedNames(m), attached);
}

// As Gmail does: a message with an .exe is refused after its final dot.
// The reply is quoted, and the server is remembered: the next send through
// it takes the web page without being told.
void TestSendCommand::refusingServerIsQuotedAndThenGetsTheWebPage()
{
    TestEnvironment env;
    SmtpSink sink({"--refuse-programs"});
    const QStringList args{"send", "--to", "a@example.com", "--from", "me@example.org", "--server", sink.server()};
    QScopedPointer<QProcess> refused(run(args));
    QCOMPARE(refused->exitCode(), 1);
    const QString err = QString::fromUtf8(refused->readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("refused the message because of what it carries: \"552 5.7.0 This message was "
                                         "blocked because its content presents a potential security issue.")),
             qPrintable(err));
    QCOMPARE(sink.messageCount(), 0);
    QVERIFY(Settings::serverRefusesPrograms(QStringLiteral("127.0.0.1")));
    QScopedPointer<QProcess> again(run(args));
    QVERIFY2(again->exitCode() == 0, again->readAllStandardError().constData());
    QCOMPARE(attachedNames(SmtpSink::inspect(sink.messagePath(1))), QStringList{"Cube.html"});
}

// The picture at the message's top is the cube turning, a looping GIF referred
// to by its Content-ID from the web page alternative of the text; the text
// comes before the attachments.
void TestSendCommand::messageShowsTheCubeAboveItsText()
{
    TestEnvironment env;
    SmtpSink sink;
    QScopedPointer<QProcess> p(run({"send", "--caption", "Our summer", "--message", "Dear Ann,\nfor you \u2764",
                                    "--to", "a@example.com", "--from", "me@example.org", "--server", sink.server(),
                                    "--attach", "both"}));
    QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    const QJsonArray tree{
        "multipart/mixed",
        QJsonArray{QJsonArray{"multipart/alternative",
                              QJsonArray{"text/plain", QJsonArray{"multipart/related", QJsonArray{"text/html", "image/gif"}}}},
                   "application/octet-stream", "text/html"}};
    QCOMPARE(m.value("tree").toArray(), tree);
    const QJsonArray parts = m.value("parts").toArray();
    const QString plain = parts.at(0).toObject().value("text").toString();
    QVERIFY(plain.startsWith(QStringLiteral("Our summer\r\nDear Ann,\r\nfor you \u2764\r\n")));
    QVERIFY(plain.endsWith(LoadResString(212)));
    const QString html = parts.at(1).toObject().value("text").toString();
    const QJsonObject picture = parts.at(2).toObject();
    QCOMPARE(picture.value("head").toString(), QStringLiteral("47494638"));
    QVERIFY(picture.value("loops").toBool());
    QCOMPARE(picture.value("filename").toString(), QStringLiteral("Cube.gif"));
    // Every cid: reference names the inline picture.
    const QRegularExpression cid(QStringLiteral("cid:([^\"]+)\""));
    int references = 0;
    for (auto i = cid.globalMatch(html); i.hasNext(); ++references)
        QCOMPARE(QLatin1Char('<') + i.next().captured(1) + QLatin1Char('>'), picture.value("content_id").toString());
    QCOMPARE(references, 1);
    QVERIFY(html.indexOf(QStringLiteral("<img")) < html.indexOf(QStringLiteral("<h1>Our summer</h1>")));
    QVERIFY(html.contains(QStringLiteral("width=\"400\"")));
    QVERIFY(html.contains(QStringLiteral("for you \u2764")));
    QVERIFY(m.value("size").toInt() < 10 * 1000 * 1000);
}

// The mail program reads the attachments after vexilo-cube has ended and
// removed its work folder.
void TestSendCommand::mailProgramGetsTheMessageAfterTheCommandHasEnded()
{
    TestEnvironment env;
    MailProgramDesktop desktop;
    QVERIFY(desktop.isReady());
    QScopedPointer<QProcess> p(run({"send", "--mail-program", "--to", "a@example.com;b@example.net", "--subject",
                                    "Our summer", "--message", "For you", "--attach", "web"}));
    const QString err = QString::fromUtf8(p->readAllStandardError());
    QVERIFY2(p->exitCode() == 0, qPrintable(err));
    QVERIFY(err.contains(LoadResString(213)));
    const QJsonObject record = desktop.record();
    QCOMPARE(record.value("to").toArray(), QJsonArray({"a@example.com", "b@example.net"}));
    QCOMPARE(record.value("subject").toString(), QStringLiteral("Our summer"));
    QVERIFY(record.value("body").toString().startsWith(QStringLiteral("For you\r\n")));
    const QJsonArray attachments = record.value("attachments").toArray();
    QCOMPARE(attachments.size(), 2);
    QVERIFY(attachments.at(0).toObject().value("path").toString().endsWith(QStringLiteral("/Cube.gif")));
    QVERIFY(attachments.at(1).toObject().value("path").toString().endsWith(QStringLiteral("/Cube.html")));
    QVERIFY(attachments.at(1).toObject().value("there").toBool());
}

QTEST_MAIN(TestSendCommand)
#include "tst_sendcommand.moc"
