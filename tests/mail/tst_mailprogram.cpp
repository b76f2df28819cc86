#include "core/MessageIds.h"
#include "mail/MailProgram.h"
#include "tests/support/MailProgramDesktop.h"
#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

#include <utime.h>

// xdg-email for real, with a recording program as the desktop's mail program.
class TestMailProgram : public QObject
{
    Q_OBJECT
private slots:
    void handsTheMessageWithCopiesThatOutliveTheWorkFolder();
    void noMailProgramIsSaidClearly();
    void handOversADayOldAreRemoved();
};

namespace {
QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
} // namespace

void TestMailProgram::handsTheMessageWithCopiesThatOutliveTheWorkFolder()
{
    TestEnvironment env;
    MailProgramDesktop desktop;
    QVERIFY(desktop.isReady());
    const QString work = env.path(QStringLiteral("CubeTemp"));
    const QByteArray program = "MZ the cube", page = "<!DOCTYPE html><title>Cube</title>";
    MailOrder order{QStringLiteral("ann@example.com, bob@example.net"), QString(), QStringLiteral("Our summer & more"),
                    WriteFile(work + QStringLiteral("/Cube.exe"), program), QString(), false,
                    WriteFile(work + QStringLiteral("/Cube.html"), page)};
    order.message = QStringLiteral("Für dich, Ann.");
    const QByteArray picture = "GIF89a the cube turning";
    order.picture = WriteFile(work + QStringLiteral("/message/Cube.gif"), picture);
    MailProgram mailProgram;
    QSignalSpy finished(&mailProgram, &MailProgram::finished);
    mailProgram.Hand(order);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(QDir(work).removeRecursively());

    const QJsonObject record = desktop.record();
    QCOMPARE(record.value("to").toArray(), QJsonArray({"ann@example.com", "bob@example.net"}));
    QCOMPARE(record.value("subject").toString(), order.subject);
    QCOMPARE(record.value("body").toString(), MailComposer::PlainText(order));
    QVERIFY(record.value("body").toString().startsWith(QStringLiteral("Für dich, Ann.\r\n\r\nCongratulations!")));
    const QJsonArray attachments = record.value("attachments").toArray();
    const QList<QPair<QString, QByteArray>> expected{{"Cube.gif", picture}, {"Cube.exe", program}, {"Cube.html", page}};
    QCOMPARE(attachments.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QJsonObject a = attachments.at(i).toObject();
        QVERIFY2(a.value("there").toBool(), qPrintable(a.value("path").toString()));
        QVERIFY(a.value("path").toString().startsWith(MailProgram::HandedRoot() + QLatin1Char('/')));
        QVERIFY(a.value("path").toString().endsWith(QLatin1Char('/') + expected.at(i).first));
        QCOMPARE(a.value("sha256").toString(), sha256(expected.at(i).second));
    }
}

void TestMailProgram::noMailProgramIsSaidClearly()
{
    TestEnvironment env;
    MailProgramDesktop desktop(false);
    MailOrder order{QStringLiteral("ann@example.com"), QString(), QStringLiteral("s"),
                    WriteFile(env.path(QStringLiteral("Cube.exe")), "MZ"), QString(), false};
    MailProgram mailProgram;
    QSignalSpy finished(&mailProgram, &MailProgram::finished);
    mailProgram.Hand(order);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(finished.at(0).at(1).toInt(), int(Msg::NoMailProgram));
    QCOMPARE(finished.at(0).at(2).toString(), QStringLiteral("xdg-email: no method available"));
}

void TestMailProgram::handOversADayOldAreRemoved()
{
    TestEnvironment env;
    const QString root = env.path(QStringLiteral("handed"));
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto &[name, age] : {std::pair{"old", 25 * 3600}, std::pair{"recent", 23 * 3600}}) {
        const QString folder = root + QLatin1Char('/') + QLatin1String(name);
        WriteFile(folder + QStringLiteral("/Cube.exe"), "MZ");
        const utimbuf times{time_t(now.toSecsSinceEpoch() - age), time_t(now.toSecsSinceEpoch() - age)};
        QCOMPARE(utime(QFile::encodeName(folder).constData(), &times), 0);
    }
    MailProgram::RemoveOldHandOvers(root, now);
    QCOMPARE(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"recent"});
}

QTEST_GUILESS_MAIN(TestMailProgram)
#include "tst_mailprogram.moc"
