#include "mail/MailRefusal.h"

#include <QTest>

class TestMailRefusal : public QObject
{
    Q_OBJECT
private slots:
    void refusesContent_data();
    void refusesContent();
    void quoted_data();
    void quoted();
};

void TestMailRefusal::refusesContent_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("content");
    QTest::newRow("Gmail's blocked attachment")
        << "552 5.7.0 This message was blocked because its content presents a potential 5.7.0 security issue." << true;
    QTest::newRow("enhanced status 5.7.1 alone") << "550 5.7.1 Rejected" << true;
    QTest::newRow("virus named, no enhanced status") << "554 Virus found in message" << true;
    QTest::newRow("attachment named") << "550 Attachment type not allowed" << true;
    QTest::newRow("security policy") << "554 Message refused by security policy" << true;
    QTest::newRow("an .exe named") << "552 Cube.exe is not accepted here" << true;
    QTest::newRow("too large") << "552 5.3.4 Message size exceeds fixed maximum" << false;
    QTest::newRow("mailbox full") << "552 5.2.2 Mailbox full" << false;
    QTest::newRow("passing fault with a policy word") << "451 4.7.1 Greylisted by policy, try again" << false;
    QTest::newRow("accepted") << "250 2.0.0 OK queued" << false;
    QTest::newRow("empty") << "" << false;
}

void TestMailRefusal::refusesContent()
{
    QFETCH(QString, reply);
    QFETCH(bool, content);
    QCOMPARE(MailRefusal::RefusesContent(reply), content);
}

void TestMailRefusal::quoted_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("status repeated on each line")
        << "552 5.7.0 This message was blocked 5.7.0 security issue. Please visit 5.7.0  https://x.example/?p=1 to"
        << "552 5.7.0 This message was blocked security issue. Please visit https://x.example/?p=1 to";
    QTest::newRow("no enhanced status") << "554  Virus found\r\n" << "554 Virus found";
    QTest::newRow("one status kept") << "550 5.7.1 Policy" << "550 5.7.1 Policy";
}

void TestMailRefusal::quoted()
{
    QFETCH(QString, reply);
    QFETCH(QString, quoted);
    QCOMPARE(MailRefusal::Quoted(reply), quoted);
}

QTEST_MAIN(TestMailRefusal)
#include "tst_mailrefusal.moc"
