#include "core/MessageBox.h"
#include "core/Settings.h"
#include "core/Twips.h"
#include "mail/MailServer.h"
#include "platform/registry/RegEdit.h"
#include "resources/StringTable.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
QString storedServer()
{
    return GetRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\Norvane\\Vexilo"),
                             QStringLiteral("SMTPServer"));
}

MailServerChoice keptChoice()
{
    return Settings::instance().mailServer();
}

MailServerChoice alternate(const QString &server)
{
    return {server, false};
}

MailServerChoice defaultRelay()
{
    return {LoadResString(87), true};
}

// An alternate server chosen at an earlier run.
void startWithAlternate(const QString &server)
{
    SetRegistryString(HKEY_CURRENT_USER, QStringLiteral("Software\\Norvane\\Vexilo"), QStringLiteral("SMTPServer"),
                      server);
    Settings::instance().ReadMailServer();
}

QColor boxColour(const MailServer &d)
{
    return d.serverName->palette().color(QPalette::Base);
}
} // namespace

class TestMailServer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void formLoadOnFirstStart();
    void alternateServerIsStoredAndShownNextTime();
    void defaultServerAgainRemovesTheSetting();
    void emptyAlternateShowsMessage75();
    void oneBlankIsStored();
    void cancelChangesNothing();
    void optionsSwitchTheBoxKeepingItsText();
    void altLettersChooseTheOptions();
    void keyboardClosesAsTheButtonsDo_data();
    void keyboardClosesAsTheButtonsDo();

private:
    QScopedPointer<TestEnvironment> m_env;
};

void TestMailServer::init()
{
    m_env.reset(new TestEnvironment);
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
    Settings::instance().ReadMailServer();
}

void TestMailServer::formLoadOnFirstStart()
{
    MailServer d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Advanced Options"));
    QCOMPARE(d.Directions->text(), LoadResString(70));
    QCOMPARE(d.Frame1->title(), QStringLiteral("Automatic Sending Services"));
    QCOMPARE(d.Option1->text(), LoadResString(90));
    QCOMPARE(d.Option2->text(), QStringLiteral("Use an Alternate SMTP Server"));
    QCOMPARE(d.OK->text(), QStringLiteral("OK"));
    QCOMPARE(d.Cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(d.size(), QSize(TwipsToPixels(6168), TwipsToPixels(3300)));
    QCOMPARE(d.Frame1->geometry(), TwipsRect(120, 105, 5925, 2640));
    QCOMPARE(d.serverName->geometry(), TwipsRect(360, 2160, 5175, 315));
    QCOMPARE(d.serverName->parentWidget(), d.Frame1);
    QCOMPARE(d.OK->geometry(), TwipsRect(1672, 2820, 1215, 375));
    QVERIFY(d.Option1->isChecked());
    QVERIFY(!d.Option2->isChecked());
    QVERIFY(!d.serverName->isEnabled());
    QVERIFY(d.serverName->text().isEmpty());
    QCOMPARE(boxColour(d), d.InactiveBorderColour());
    QVERIFY(d.InactiveBorderColour() != d.WindowBackgroundColour());
}

void TestMailServer::alternateServerIsStoredAndShownNextTime()
{
    {
        MailServer d;
        QTest::mouseClick(d.Option2, Qt::LeftButton);
        QVERIFY(d.serverName->isEnabled());
        d.serverName->setText(QStringLiteral("mail.example.net:587"));
        QTest::mouseClick(d.OK, Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }
    QCOMPARE(storedServer(), QStringLiteral("mail.example.net:587"));
    QCOMPARE(keptChoice(), alternate(QStringLiteral("mail.example.net:587")));
    MailServer again;
    QVERIFY(again.Option2->isChecked());
    QVERIFY(again.serverName->isEnabled());
    QCOMPARE(again.serverName->text(), QStringLiteral("mail.example.net:587"));
    QCOMPARE(again.serverName->selectedText(), QStringLiteral("mail.example.net:587"));
    QCOMPARE(boxColour(again), again.WindowBackgroundColour());
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestMailServer::defaultServerAgainRemovesTheSetting()
{
    startWithAlternate(QStringLiteral("mx"));
    MailServer d;
    QTest::mouseClick(d.Option1, Qt::LeftButton);
    d.OK_Click();
    QVERIFY(storedServer().isEmpty());
    QCOMPARE(keptChoice(), defaultRelay());
}

void TestMailServer::emptyAlternateShowsMessage75()
{
    startWithAlternate(QStringLiteral("mx"));
    MailServer d;
    d.serverName->clear();
    d.OK_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{75});
    QVERIFY(!d.isVisible());
    QCOMPARE(storedServer(), QStringLiteral("mx"));
    QCOMPARE(keptChoice(), alternate(QStringLiteral("mx")));
}

void TestMailServer::oneBlankIsStored()
{
    MailServer d;
    d.Option2->setChecked(true);
    d.Option2_Click();
    d.serverName->setText(QStringLiteral(" "));
    d.OK_Click();
    QCOMPARE(storedServer(), QStringLiteral(" "));
    QCOMPARE(keptChoice(), alternate(QStringLiteral(" ")));
}

void TestMailServer::cancelChangesNothing()
{
    MailServer d;
    d.Option2->setChecked(true);
    d.serverName->setText(QStringLiteral("other"));
    QTest::mouseClick(d.Cancel, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(storedServer().isEmpty());
    QCOMPARE(keptChoice(), defaultRelay());
}

void TestMailServer::optionsSwitchTheBoxKeepingItsText()
{
    MailServer d;
    d.Option2_Click();
    d.serverName->setText(QStringLiteral("kept"));
    QCOMPARE(boxColour(d), d.WindowBackgroundColour());
    d.Option1_Click();
    QVERIFY(!d.serverName->isEnabled());
    QCOMPARE(boxColour(d), d.InactiveBorderColour());
    QCOMPARE(d.serverName->text(), QStringLiteral("kept"));
}

void TestMailServer::altLettersChooseTheOptions()
{
    MailServer d;
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QTest::keyClick(&d, Qt::Key_A, Qt::AltModifier);
    QVERIFY(d.Option2->isChecked());
    QVERIFY(d.serverName->isEnabled());
    QCOMPARE(QApplication::focusWidget(), d.Option2);
    QTest::keyClick(&d, Qt::Key_D, Qt::AltModifier);
    QVERIFY(d.Option1->isChecked());
    QVERIFY(!d.serverName->isEnabled());
    // The captions keep their characters.
    QCOMPARE(d.Option1->text(), LoadResString(90));
    QCOMPARE(d.serverName->accessibleName(), QStringLiteral("Use an Alternate SMTP Server"));
}

void TestMailServer::keyboardClosesAsTheButtonsDo_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("stored");
    QTest::newRow("Enter is OK") << int(Qt::Key_Return) << true;
    QTest::newRow("Escape is Cancel") << int(Qt::Key_Escape) << false;
}

void TestMailServer::keyboardClosesAsTheButtonsDo()
{
    QFETCH(int, key);
    QFETCH(bool, stored);
    MailServer d;
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.Option2->click();
    d.serverName->setFocus();
    QTest::keyClicks(d.serverName, QStringLiteral("mail.example.org"));
    QTest::keyClick(d.serverName, Qt::Key(key));
    QVERIFY(!d.isVisible());
    QCOMPARE(keptChoice(), stored ? alternate(QStringLiteral("mail.example.org")) : defaultRelay());
}

QTEST_MAIN(TestMailServer)
#include "tst_mailserver.moc"
