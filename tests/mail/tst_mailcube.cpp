#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/Settings.h"
#include "core/Twips.h"
#include "mail/MailCube.h"
#include "mail/MailServer.h"
#include "mail/SignIn.h"
#include "platform/registry/RegEdit.h"
#include "publish/StepBars.h"
#include "resources/StringTable.h"
#include "tests/support/MailProgramDesktop.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString kKey = QStringLiteral("Software\\Norvane\\Vexilo");

QString storedSender()
{
    return GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("FromAddress"));
}

int visibleBar(const MailCube &d)
{
    return d.Bars->visibleStep();
}
} // namespace

class TestMailCube : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void formLoad();
    void emptyToAsksForARecipient();
    void semicolonsBecomeCommasAndEmptyFromIsRefused();
    void sendsThroughARealServer();
    void faults_data();
    void faults();
    void progressRounding_data();
    void progressRounding();
    void doneAdvancesThroughThePhases();
    void doneAfterDisconnectWithoutProgressIsSilent();
    void silentErrorsCloseWithoutMessage_data();
    void silentErrorsCloseWithoutMessage();
    void cancelWhileSendingAbortsTheTransfer();
    void errorMessages_data();
    void errorMessages();
    void advancedOpensTheServerDialog();
    void webPageGoesAfterTheCubeWhenChosen();
    void signInDialogAsksAndGoesOnWithTheSend();
    void refusedProgramIsSentAsAWebPageInOneClick();
    void refusalKeepsWhatWasTypedAndChoosesTheWebPage();
    void serverWithoutOurSignInOffersTheMailProgram();
    void withoutAMailProgramTheDialogStaysAndSaysSo();
    void addedRowsFitTheirTexts_data();
    void addedRowsFitTheirTexts();

private:
    // Sends through server and waits until the session has ended.
    void sendAndWait(MailCube &dialog, const QString &server);
    QScopedPointer<TestEnvironment> m_env;
    QString m_work;
    QByteArray m_cube;
};

void TestMailCube::init()
{
    m_env.reset(new TestEnvironment);
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
    m_work = m_env->path(QStringLiteral("CubeTemp"));
    m_cube = QByteArray("MZ") + QByteArray(200000, '\x5a');
    WriteFile(m_work + QStringLiteral("/Cube.exe"), m_cube);
    Settings::instance().ReadFromAddress();
    Settings::instance().ReadMailServer();
}

void TestMailCube::cleanup()
{
    m_env.reset();
}

void TestMailCube::sendAndWait(MailCube &dialog, const QString &server)
{
    Settings::instance().setMailServer(server);
    dialog.session.Mail1.setReplyTimeout(500);
    dialog.session.Mail1.setConnectTimeout(2000);
    QSignalSpy finished(&dialog.session, &MailSession::finished);
    dialog.Send_Click();
    QVERIFY(finished.count() == 1 || finished.wait(20000));
}

void TestMailCube::formLoad()
{
    Settings::instance().setFromAddress(QStringLiteral("me@example.org"));
    MailCube d(m_work);
    QCOMPARE(d.windowTitle(), QStringLiteral("Send Vexilo"));
    QCOMPARE(d.ToLabel->text(), QStringLiteral("&To:"));
    QCOMPARE(d.FromLabel->text(), QStringLiteral("&From:"));
    QCOMPARE(d.SubjectLabel->text(), QStringLiteral("S&ubject:"));
    QCOMPARE(d.Send->text(), QStringLiteral("&Send"));
    QCOMPARE(d.Cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(d.Advanced->text(), QStringLiteral("&Advanced..."));
    QCOMPARE(d.Directions->text(), LoadResString(61));
    QCOMPARE(d.Subject->text(), QStringLiteral("Norvane Vexilo from a friend"));
    QCOMPARE(d.From->text(), QStringLiteral("me@example.org"));
    QVERIFY(d.SendTo->text().isEmpty());
    const int added = d.addedHeight();
    QVERIFY(added > 0);
    QCOMPARE(d.size(), QSize(TwipsToPixels(5376), TwipsToPixels(2784 + 480) + added));
    QCOMPARE(d.UseMailProgram->text(), LoadResString(209));
    QCOMPARE(d.UseMailProgram->geometry(), TwipsRect(735, 2790, 3900, 375).translated(0, added));
    QCOMPARE(d.SendAsLabel->text(), LoadResString(200));
    QCOMPARE(d.SendAs->count(), 3);
    QCOMPARE(d.SendAs->itemText(MailCube::WebPageOnly), LoadResString(201));
    QCOMPARE(d.SendAs->currentIndex(), int(MailCube::ProgramOnly));
    QVERIFY(d.ServerNote->isHidden());
    QCOMPARE(d.SendTo->geometry(), TwipsRect(1260, 30, 3750, 345));
    QCOMPARE(d.From->geometry(), TwipsRect(1245, 480, 3750, 345));
    QCOMPARE(d.Send->geometry(), TwipsRect(735, 2295, 1215, 375).translated(0, added));
    QCOMPARE(d.Advanced->geometry(), TwipsRect(3420, 2310, 1215, 375).translated(0, added));
    QCOMPARE(d.Bars->geometry(), TwipsRect(612, 1800, 3420, 156).translated(0, added));
    QVERIFY(d.SendAs->geometry().translated(d.SendAs->parentWidget()->pos()).bottom() < d.Directions->y());
    QCOMPARE(visibleBar(d), -1);
    QVERIFY(d.ProgressStatus->isHidden());
    QCOMPARE(d.session.sendState, MailSession::Idle);
}

void TestMailCube::emptyToAsksForARecipient()
{
    MailCube d(m_work);
    d.From->setText(QStringLiteral("me@example.org"));
    d.Send_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{68});
    QCOMPARE(d.focusWidget(), d.SendTo);
    QVERIFY(storedSender().isEmpty());
    QCOMPARE(d.session.sendState, MailSession::Idle);
}

void TestMailCube::semicolonsBecomeCommasAndEmptyFromIsRefused()
{
    MailCube d(m_work);
    d.SendTo->setText(QStringLiteral("a@x; b@y;c@z"));
    d.Send_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{69});
    QCOMPARE(d.SendTo->text(), QStringLiteral("a@x, b@y,c@z"));
    QCOMPARE(d.focusWidget(), d.From);
    QVERIFY(storedSender().isEmpty());
}

void TestMailCube::sendsThroughARealServer()
{
    SmtpSink sink;
    QVERIFY(sink.isRunning());
    MailCube d(m_work);
    d.SendTo->setText(QStringLiteral("one@example.com;two@example.net"));
    d.From->setText(QStringLiteral("me@example.org"));
    sendAndWait(d, sink.server());
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{85});
    QCOMPARE(storedSender(), QStringLiteral("me@example.org"));
    QCOMPARE(Settings::instance().fromAddress(), QStringLiteral("me@example.org"));
    QCOMPARE(d.session.progressValue, qint16(10));
    QCOMPARE(d.ProgressStatus->text(), LoadResString(65));
    QCOMPARE(sink.envelope(1).value("rcpt_tos").toArray(), QJsonArray({"one@example.com", "two@example.net"}));
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("defects").toArray(), QJsonArray());
    QCOMPARE(m.value("headers").toObject().value("To").toString(), QStringLiteral("one@example.com, two@example.net"));
    QVERIFY(!m.value("header_names").toArray().contains("X-NorvaneProduct"));
}

void TestMailCube::faults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("message");
    const int none = -1;
    QTest::newRow("refused port") << none << QStringLiteral("127.0.0.1:%1").arg(ClosedPort()) << 78;
    QTest::newRow("name that does not resolve") << none << QStringLiteral("smtp.nosuchhost.invalid") << 76;
    QTest::newRow("server that never greets") << int(ScriptedPeer::NoGreeting) << QString() << 79;
    QTest::newRow("421 greeting") << int(ScriptedPeer::Greeting421) << QString() << 81;
    QTest::newRow("550 to one RCPT") << int(ScriptedPeer::RefuseSecondRcpt) << QString() << 81;
    QTest::newRow("552 after the data") << int(ScriptedPeer::Refuse552AfterData) << QString() << 207;
    QTest::newRow("hang-up in the data") << int(ScriptedPeer::HangUpInData) << QString() << 78;
    QTest::newRow("reply line of 100 KB") << int(ScriptedPeer::HugeReplyLine) << QString() << 81;
    QTest::newRow("replies byte by byte") << int(ScriptedPeer::ByteByByte) << QString() << 85;
    QTest::newRow("replies over many lines") << int(ScriptedPeer::ManyLines) << QString() << 85;
}

void TestMailCube::faults()
{
    QFETCH(int, fault);
    QFETCH(QString, server);
    QFETCH(int, message);
    QScopedPointer<ScriptedPeer> peer(fault >= 0 ? new ScriptedPeer(ScriptedPeer::Fault(fault)) : nullptr);
    MailCube d(m_work);
    d.SendTo->setText(QStringLiteral("a@example.com, b@example.com"));
    d.From->setText(QStringLiteral("me@example.org"));
    QSignalSpy closed(&d, &QDialog::finished);
    sendAndWait(d, peer ? peer->server() : server);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{message});
    QCOMPARE(storedSender(), QStringLiteral("me@example.org"));
    QCOMPARE(ReadFile(m_work + QStringLiteral("/Cube.exe")), m_cube);
    // Only a sent cube closes the dialog; a failure leaves it ready to send again.
    QCOMPARE(closed.count(), message == 85 ? 1 : 0);
    if (message != 85) {
        QCOMPARE(visibleBar(d), -1);
        QVERIFY(d.Send->isEnabled());
        QVERIFY(d.Advanced->isEnabled());
        QVERIFY(!d.Directions->isHidden());
        QVERIFY(d.ProgressStatus->isHidden());
        QCOMPARE(d.SendTo->text(), QStringLiteral("a@example.com, b@example.com"));
    }
}

void TestMailCube::progressRounding_data()
{
    QTest::addColumn<qint32>("numerator");
    QTest::addColumn<qint32>("denominator");
    QTest::addColumn<qint16>("value");
    QTest::addColumn<qint16>("frame");
    QTest::newRow("15 % shows picture 2") << 15 << 100 << qint16(2) << qint16(2);
    QTest::newRow("25 % shows picture 2 too") << 25 << 100 << qint16(2) << qint16(2);
    QTest::newRow("exactly 10 % counts as complete") << 10 << 100 << qint16(10) << qint16(1);
    QTest::newRow("5 % keeps the raw value") << 1 << 20 << qint16(5) << qint16(1);
    QTest::newRow("95 % is 10") << 95 << 100 << qint16(10) << qint16(10);
    QTest::newRow("all of it") << 5000000 << 5000000 << qint16(10) << qint16(10);
    QTest::newRow("Denominator 0 is ignored") << 5 << 0 << qint16(7) << qint16(1);
    QTest::newRow("more than the whole is ignored") << 101 << 100 << qint16(7) << qint16(1);
}

void TestMailCube::progressRounding()
{
    QFETCH(qint32, numerator);
    QFETCH(qint32, denominator);
    QFETCH(qint16, value);
    QFETCH(qint16, frame);
    MailCube d(m_work);
    d.Bars->showStep(0);
    d.session.ShowProgressStep(1);
    d.session.progressValue = 7;
    d.session.Mail1_Progress(numerator, denominator);
    QCOMPARE(d.session.progressValue, value);
    QCOMPARE(d.session.progressFrame, frame);
    QCOMPARE(visibleBar(d), int(frame));
}

void TestMailCube::doneAdvancesThroughThePhases()
{
    MailCube d(m_work);
    QSignalSpy finished(&d, &QDialog::finished);
    d.session.sendState = MailSession::Connecting;
    d.session.Mail1_Done();
    QCOMPARE(d.session.sendState, MailSession::Sending);
    QCOMPARE(d.ProgressStatus->text(), LoadResString(63));
    d.session.Mail1_Progress(100, 100);
    d.session.Mail1_Done();
    QCOMPARE(d.session.sendState, MailSession::Disconnecting);
    QCOMPARE(d.ProgressStatus->text(), LoadResString(64));
    QCOMPARE(d.session.progressFrame, qint16(10));
    QCOMPARE(finished.count(), 0);
    d.session.Mail1_Done();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{85});
}

void TestMailCube::doneAfterDisconnectWithoutProgressIsSilent()
{
    MailCube d(m_work);
    QSignalSpy finished(&d, &QDialog::finished);
    d.session.sendState = MailSession::Disconnecting;
    d.session.Mail1_Done();
    QCOMPARE(finished.count(), 1);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestMailCube::silentErrorsCloseWithoutMessage_data()
{
    QTest::addColumn<qint16>("code");
    QTest::newRow("-1") << qint16(-1);
    QTest::newRow("10064") << qint16(10064);
}

void TestMailCube::silentErrorsCloseWithoutMessage()
{
    QFETCH(qint16, code);
    MailCube d(m_work);
    QSignalSpy finished(&d.session, &MailSession::finished);
    d.session.sendState = MailSession::Connecting;
    d.Bars->showStep(3);
    d.session.Mail1_AsyncError(code, QString());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(d.result(), 0);
    QVERIFY(MessageSeam::shownMessages().isEmpty());
    QCOMPARE(visibleBar(d), -1);
}

void TestMailCube::cancelWhileSendingAbortsTheTransfer()
{
    ScriptedPeer peer(ScriptedPeer::NoFault);
    m_cube = QByteArray(8 * 1024 * 1024, 'c');
    WriteFile(m_work + QStringLiteral("/Cube.exe"), m_cube);
    MailCube d(m_work);
    d.SendTo->setText(QStringLiteral("a@example.com"));
    d.From->setText(QStringLiteral("me@example.org"));
    Settings::instance().setMailServer(peer.server());
    QSignalSpy finished(&d, &QDialog::finished);
    connect(&d.session.Mail1, &MMail::Progress, &d, [&] {
        if (d.session.sendState == MailSession::Sending && finished.isEmpty())
            d.Cancel_Click();
    });
    d.Send_Click();
    QVERIFY(finished.wait(10000));
    QTest::qWait(300);
    QVERIFY(!peer.messageAccepted());
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestMailCube::errorMessages_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("message");
    const QList<QPair<int, int>> table = {{-1, 0},     {10064, 0},  {1101, 81},  {10025, 81}, {10063, 81}, {10043, 78},
                                          {10049, 78}, {10053, 78}, {10058, 78}, {10061, 78}, {10050, 77}, {10091, 77},
                                          {10051, 80}, {10060, 79}, {10065, 79}, {11002, 79}, {11004, 79}, {20008, 79},
                                          {11001, 76}, {20112, 207}, {0, 76},    {12345, 76}};
    for (const auto &[number, message] : table)
        QTest::addRow("%d", number) << number << message;
}

void TestMailCube::errorMessages()
{
    QFETCH(int, number);
    QFETCH(int, message);
    QCOMPARE(MailSession::MailErrorMessage(number), message);
    MailSession::ShowMailError(number);
    QCOMPARE(MessageSeam::shownMessages(), message ? QList<int>{message} : QList<int>{});
}

void TestMailCube::advancedOpensTheServerDialog()
{
    QString opened;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        opened = dialog.windowTitle();
        QVERIFY(qobject_cast<MailServer *>(&dialog));
    });
    MailCube d(m_work);
    d.Advanced_Click();
    QCOMPARE(opened, LoadResString(72));
}

void TestMailCube::webPageGoesAfterTheCubeWhenChosen()
{
    const QByteArray page = "<!DOCTYPE html><title>Cube</title>";
    WriteFile(m_work + QStringLiteral("/Cube.html"), page);
    SmtpSink sink;
    {
        MailCube d(m_work);
        d.SendTo->setText(QStringLiteral("one@example.com"));
        d.From->setText(QStringLiteral("me@example.org"));
        d.SendAs->setCurrentIndex(MailCube::WebPageAndProgram);
        sendAndWait(d, sink.server());
    }
    QCOMPARE(GetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("AttachWebPage")), QStringLiteral("1"));
    const QJsonArray parts = SmtpSink::inspect(sink.messagePath(1)).value("parts").toArray();
    QCOMPARE(parts.size(), 3);
    QCOMPARE(parts.at(0).toObject().value("content_type").toString(), QStringLiteral("text/plain"));
    QCOMPARE(parts.at(0).toObject().value("text").toString(), LoadResString(212));
    QCOMPARE(parts.at(2).toObject().value("filename").toString(), QStringLiteral("Cube.html"));
    QCOMPARE(parts.at(2).toObject().value("sha256").toString(),
             QString::fromLatin1(QCryptographicHash::hash(page, QCryptographicHash::Sha256).toHex()));
    QCOMPARE(parts.at(1).toObject().value("sha256").toString(),
             QString::fromLatin1(QCryptographicHash::hash(m_cube, QCryptographicHash::Sha256).toHex()));
    MailCube again(m_work);
    QCOMPARE(again.SendAs->currentIndex(), int(MailCube::WebPageAndProgram));
}

void TestMailCube::signInDialogAsksAndGoesOnWithTheSend()
{
    TestCertificates certificates;
    const TestCertificates::Pair cert = certificates.issue(TestCertificates::Trusted);
    SmtpSink sink({"--starttls", cert.cert, cert.key, "--auth", "me@example.org", "secret"});
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("CACertFile"), certificates.caFile());
    QStringList shown;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        auto *signIn = qobject_cast<SignIn *>(&dialog);
        QVERIFY(signIn);
        shown << signIn->Directions->text();
        QCOMPARE(signIn->User->text(), QStringLiteral("me@example.org"));
        signIn->Password->setText(shown.size() == 1 ? QStringLiteral("wrong") : QStringLiteral("secret"));
        signIn->Remember->setChecked(false);
        signIn->OK_Click();
    });
    MailCube d(m_work);
    d.SendTo->setText(QStringLiteral("one@example.com"));
    d.From->setText(QStringLiteral("me@example.org"));
    sendAndWait(d, QStringLiteral("smtp://localhost:%1").arg(sink.port()));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), LoadResString(110));
    QVERIFY(shown.at(1).contains(QStringLiteral("535")));
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{85});
    QVERIFY(!sink.messagePath(1).isEmpty());
}

// As Gmail does: a message that carries an .exe is refused after its final
// dot. One click on Yes sends the same message as a web page instead.
void TestMailCube::refusedProgramIsSentAsAWebPageInOneClick()
{
    const QByteArray page = "<!DOCTYPE html><title>Cube</title>";
    WriteFile(m_work + QStringLiteral("/Cube.html"), page);
    SmtpSink sink({"--refuse-programs"});
    QVERIFY(sink.isRunning());
    QStringList asked;
    MessageSeam::setMessageHandler([&](int id, MsgButtons buttons) {
        asked << MessageSeam::shownTexts().constLast();
        return int(id == 206 && buttons == MsgButtons::YesNo ? IDYES : IDOK);
    });
    Settings::instance().setMailServer(sink.server());
    MailCube d(m_work);
    d.show();
    QSignalSpy closed(&d, &QDialog::finished);
    d.SendTo->setText(QStringLiteral("one@example.com, two@example.net"));
    d.From->setText(QStringLiteral("me@example.org"));
    d.Subject->setText(QStringLiteral("Our summer"));
    d.Message->setPlainText(QStringLiteral("Dear Ann, for you."));
    QTest::mouseClick(d.Send, Qt::LeftButton);
    QVERIFY(closed.wait(20000));
    QCOMPARE(MessageSeam::shownMessages(), QList<int>({206, 85}));
    QVERIFY2(asked.at(0).contains(QStringLiteral("\"552 5.7.0 This message was blocked because its content presents a "
                                                 "potential security issue. Please visit "
                                                 "https://support.google.com/mail/?p=BlockedMessage to review our "
                                                 "message content and attachment content guidelines. - gsmtp\"")),
             qPrintable(asked.at(0)));
    QVERIFY(asked.at(0).contains(sink.server()));
    QCOMPARE(sink.messageCount(), 1);
    QCOMPARE(sink.envelope(1).value("rcpt_tos").toArray(), QJsonArray({"one@example.com", "two@example.net"}));
    const QJsonObject m = SmtpSink::inspect(sink.messagePath(1));
    QCOMPARE(m.value("headers").toObject().value("Subject").toString(), QStringLiteral("Our summer"));
    QStringList names;
    for (const QJsonValue part : m.value("parts").toArray())
        if (const QString name = part.toObject().value("filename").toString(); !name.isEmpty())
            names << name;
    QCOMPARE(names, QStringList{"Cube.html"});
    QCOMPARE(m.value("parts").toArray().at(0).toObject().value("text").toString(),
             QStringLiteral("Dear Ann, for you.\r\n") + LoadResString(211));
    QVERIFY(Settings::serverRefusesPrograms(QStringLiteral("127.0.0.1")));
    MailCube next(m_work);
    QCOMPARE(next.SendAs->currentIndex(), int(MailCube::WebPageOnly));
    QVERIFY(!next.ServerNote->isHidden());
    QCOMPARE(next.ServerNote->text(), MessageText(205, {sink.server()}));
}

void TestMailCube::refusalKeepsWhatWasTypedAndChoosesTheWebPage()
{
    SmtpSink sink({"--refuse-programs"});
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDNO); });
    MailCube d(m_work);
    const int heightBefore = d.height();
    d.SendTo->setText(QStringLiteral("one@example.com"));
    d.From->setText(QStringLiteral("me@example.org"));
    d.Subject->setText(QStringLiteral("Our summer"));
    d.Message->setPlainText(QStringLiteral("Dear Ann"));
    sendAndWait(d, sink.server());
    QTest::qWait(100);
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{206});
    QCOMPARE(d.result(), 0);
    QCOMPARE(d.SendTo->text(), QStringLiteral("one@example.com"));
    QCOMPARE(d.From->text(), QStringLiteral("me@example.org"));
    QCOMPARE(d.Subject->text(), QStringLiteral("Our summer"));
    QCOMPARE(d.Message->toPlainText(), QStringLiteral("Dear Ann"));
    QVERIFY(!d.Message->isReadOnly());
    QCOMPARE(d.SendAs->currentIndex(), int(MailCube::WebPageOnly));
    QVERIFY(!d.ServerNote->isHidden());
    QVERIFY(d.height() > heightBefore);
    QVERIFY(d.Send->isEnabled());
    QCOMPARE(sink.messageCount(), 0);
}

// As Outlook.com and Google Workspace do: XOAUTH2 is the only sign-in. One
// click on Yes hands the message to the desktop's mail program instead.
void TestMailCube::serverWithoutOurSignInOffersTheMailProgram()
{
    TestCertificates certificates;
    const TestCertificates::Pair cert = certificates.issue(TestCertificates::Trusted);
    SmtpSink sink({"--starttls", cert.cert, cert.key, "--auth", "me@example.org", "secret", "--mechanisms", "XOAUTH2"});
    QVERIFY(sink.isRunning());
    MailProgramDesktop desktop;
    QVERIFY(desktop.isReady());
    SetRegistryString(HKEY_CURRENT_USER, kKey, QStringLiteral("CACertFile"), certificates.caFile());
    MessageSeam::setMessageHandler([](int id, MsgButtons) { return int(id == 208 ? IDYES : IDOK); });
    WriteFile(m_work + QStringLiteral("/Cube.html"), "<!DOCTYPE html>");
    Settings::instance().setMailServer(QStringLiteral("smtp://localhost:%1").arg(sink.port()));
    MailCube d(m_work);
    d.show();
    QSignalSpy closed(&d, &QDialog::finished);
    d.SendTo->setText(QStringLiteral("one@example.com"));
    d.From->setText(QStringLiteral("me@example.org"));
    d.Subject->setText(QStringLiteral("Our summer"));
    d.SendAs->setCurrentIndex(MailCube::WebPageAndProgram);
    QTest::mouseClick(d.Send, Qt::LeftButton);
    QVERIFY(closed.wait(20000));
    QCOMPARE(MessageSeam::shownMessages(), QList<int>({208, 213}));
    QVERIFY(MessageSeam::shownTexts().at(0).contains(QStringLiteral("(XOAUTH2)")));
    QCOMPARE(sink.messageCount(), 0);
    const QJsonObject record = desktop.record();
    QCOMPARE(record.value("to").toArray(), QJsonArray{"one@example.com"});
    QCOMPARE(record.value("subject").toString(), QStringLiteral("Our summer"));
    const QJsonArray attachments = record.value("attachments").toArray();
    QCOMPARE(attachments.size(), 2);
    for (const QJsonValue a : attachments)
        QVERIFY(a.toObject().value("there").toBool());
}

void TestMailCube::withoutAMailProgramTheDialogStaysAndSaysSo()
{
    MailProgramDesktop desktop(false);
    MailCube d(m_work);
    d.SendTo->setText(QStringLiteral("one@example.com"));
    d.Subject->setText(QStringLiteral("Our summer"));
    QSignalSpy handed(&d.mailProgram, &MailProgram::finished);
    QTest::mouseClick(d.UseMailProgram, Qt::LeftButton);
    QVERIFY(handed.wait(20000));
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{210});
    QCOMPARE(d.result(), 0);
    QVERIFY(d.UseMailProgram->isEnabled());
    QCOMPARE(d.SendTo->text(), QStringLiteral("one@example.com"));
}

void TestMailCube::addedRowsFitTheirTexts_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<bool>("refused");
    QTest::newRow("usual font") << 0 << false;
    QTest::newRow("large font") << 20 << false;
    QTest::newRow("large font, server note shown") << 20 << true;
}

void TestMailCube::addedRowsFitTheirTexts()
{
    QFETCH(int, pointSize);
    QFETCH(bool, refused);
    const QFont usual = QApplication::font();
    QFont font = usual;
    if (pointSize)
        font.setPointSize(pointSize);
    QApplication::setFont(font);
    Settings::instance().setMailServer(QStringLiteral("smtp.example.com"));
    Settings::setServerRefusesPrograms(QStringLiteral("smtp.example.com"), refused);
    MailCube d(m_work);
    d.show();
    QApplication::setFont(usual);
    QVERIFY(d.SendAs->width() >= d.SendAs->sizeHint().width());
    for (QLabel *label : {d.MessageLabel, d.SendAsLabel, d.ServerNote}) {
        if (label->isHidden())
            continue;
        QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->text()));
        QVERIFY(label->geometry().right() < label->parentWidget()->width());
    }
    QVERIFY(d.SendAs->parentWidget()->geometry().right() < d.width());
    QVERIFY(d.SendAs->parentWidget()->geometry().bottom() < d.Directions->y());
    QVERIFY(d.UseMailProgram->geometry().bottom() < d.height());
    QVERIFY(d.UseMailProgram->width() >= d.UseMailProgram->sizeHint().width());
}

QTEST_MAIN(TestMailCube)
#include "tst_mailcube.moc"
