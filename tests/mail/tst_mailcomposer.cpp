#include "components/mmail/MMail.h"
#include "mail/BasicRandom.h"
#include "mail/MailComposer.h"
#include "publish/CubeBuilder.h"
#include "publish/MovingPicture.h"
#include "resources/StringTable.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {
QDateTime at(int y, int mo, int d, int h, int mi, int s, Qt::TimeSpec timeSpec = Qt::LocalTime)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), timeSpec);
}
} // namespace

class TestMailComposer : public QObject
{
    Q_OBJECT
private slots:
    void dateAndZone_data();
    void dateAndZone();
    void dateNamesAreEnglishInAnyLocale();
    void boundarySequence();
    void eachMessageDrawsTheNextBoundary();
    void mailerLineAndProductToken();
    void productLineOnlyThroughDefaultServer_data();
    void productLineOnlyThroughDefaultServer();
    void composesPartsInOrder();
    void missingAttachmentStopsComposition();
    void standardTextSpeaksOfWhatIsAttached_data();
    void standardTextSpeaksOfWhatIsAttached();
    void pictureShowsAboveTheTextInAWebPageAlternative();
    void ownWordsThatAreNotAsciiGoAsUtf8();
    void movingPictureOrElseTheStill_data();
    void movingPictureOrElseTheStill();
    void normalizeAddressList_data();
    void normalizeAddressList();

private:
    TestEnvironment m_env;
};

void TestMailComposer::dateAndZone_data()
{
    QTest::addColumn<QDateTime>("local");
    QTest::addColumn<QDateTime>("utc");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("zone");
    QTest::newRow("23:30 eight hours behind, UTC on the next day")
        << at(1999, 12, 7, 23, 30, 0) << at(1999, 12, 8, 7, 30, 0, Qt::UTC) << "Tue, 07 Dec 1999 23:30:00"
        << "-0800";
    QTest::newRow("UTC itself") << at(2026, 12, 8, 21, 5, 9) << at(2026, 12, 8, 21, 5, 9, Qt::UTC)
                                << "Tue, 08 Dec 2026 21:05:09"
                                << "+0000";
    QTest::newRow("east of UTC, UTC still in the old year")
        << at(2027, 1, 1, 1, 15, 0) << at(2026, 12, 31, 16, 15, 0, Qt::UTC) << "Fri, 01 Jan 2027 01:15:00"
        << "+0900";
    QTest::newRow("west of UTC, UTC already in the new year")
        << at(2026, 12, 31, 20, 0, 0) << at(2027, 1, 1, 1, 0, 0, Qt::UTC) << "Thu, 31 Dec 2026 20:00:00"
        << "-0500";
    QTest::newRow("half-hour zone keeps its minutes")
        << at(2026, 3, 2, 10, 30, 0) << at(2026, 3, 2, 5, 0, 0, Qt::UTC) << "Mon, 02 Mar 2026 10:30:00"
        << "+0530";
    QTest::newRow("clocks read across a second")
        << at(2026, 6, 1, 23, 30, 0) << at(2026, 6, 2, 7, 29, 59, Qt::UTC) << "Mon, 01 Jun 2026 23:30:00"
        << "-0800";
}

void TestMailComposer::dateAndZone()
{
    QFETCH(QDateTime, local);
    QFETCH(QDateTime, utc);
    QFETCH(QString, date);
    QFETCH(QString, zone);
    QCOMPARE(MailComposer::FormatMailDate(local), date);
    QCOMPARE(MailComposer::ZoneText({local, utc}), zone);

    MMail mail;
    BasicRandom random;
    MailComposer composer(
        mail,
        [&] {
            return ClockReading{local, utc};
        },
        random);
    const QString cube = WriteFile(m_env.path(QStringLiteral("Cube.exe")), "MZ");
    QVERIFY(composer.Compose(
        {QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"), cube, QStringLiteral("localhost"), true}));
    QCOMPARE(mail.date(), date + QLatin1Char(' ') + zone);
}

void TestMailComposer::dateNamesAreEnglishInAnyLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = MailComposer::FormatMailDate(at(2026, 5, 6, 7, 8, 9));
    QLocale::setDefault(saved);
    QCOMPARE(text, QStringLiteral("Wed, 06 May 2026 07:08:09"));
}

void TestMailComposer::boundarySequence()
{
    BasicRandom random;
    QCOMPARE(MailComposer::BoundaryFor(random.next()), QStringLiteral("70554751157_boundary"));
    QCOMPARE(MailComposer::BoundaryFor(random.next()), QStringLiteral("53342401981_boundary"));
    QCOMPARE(MailComposer::BoundaryFor(random.next()), QStringLiteral("57951861619_boundary"));
    QCOMPARE(MailComposer::BoundaryFor(random.next()), QStringLiteral("28956246376_boundary"));
    QCOMPARE(MailComposer::BoundaryFor(0.0), QStringLiteral("0_boundary"));
    QCOMPARE(MailComposer::BoundaryFor(0.00000004711), QStringLiteral("4711_boundary"));
}

void TestMailComposer::eachMessageDrawsTheNextBoundary()
{
    BasicRandom random;
    const QString cube = WriteFile(m_env.path(QStringLiteral("Cube.exe")), "MZ");
    const MailOrder order{
        QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"), cube, QStringLiteral("localhost"), true};
    MMail first, second;
    QVERIFY(MailComposer(first, SystemClock, random).Compose(order));
    QVERIFY(MailComposer(second, SystemClock, random).Compose(order));
    QCOMPARE(first.message().boundary, QStringLiteral("70554751157_boundary"));
    QCOMPARE(second.message().boundary, QStringLiteral("53342401981_boundary"));
    QCOMPARE(first.message().container.parameters, QStringLiteral("boundary=70554751157_boundary"));
}

void TestMailComposer::mailerLineAndProductToken()
{
    QCOMPARE(MailComposer::MailerLine(), QStringLiteral("X-Mailer: Norvane(R) Vexilo, 2.0.45, ENU"));
    QCOMPARE(MailComposer::ProductToken(), QStringLiteral("4E6F7276616E65202D56581CF7E5C0BE5"));
}

void TestMailComposer::productLineOnlyThroughDefaultServer_data()
{
    QTest::addColumn<bool>("useDefault");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("default relay") << true
                                   << QStringList{
                                          MailComposer::MailerLine(),
                                          QStringLiteral("X-NorvaneProduct: 4E6F7276616E65202D56581CF7E5C0BE5")};
    QTest::newRow("alternate server") << false << QStringList{MailComposer::MailerLine()};
}

void TestMailComposer::productLineOnlyThroughDefaultServer()
{
    QFETCH(bool, useDefault);
    QFETCH(QStringList, lines);
    MMail mail;
    BasicRandom random;
    const QString cube = WriteFile(m_env.path(QStringLiteral("Cube.exe")), "MZ");
    QVERIFY(MailComposer(mail, SystemClock, random)
                .Compose({QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"), cube,
                          QStringLiteral("mx:2525"), useDefault}));
    QCOMPARE(mail.message().extraHeaderLines, lines);
    QCOMPARE(mail.server(), QStringLiteral("mx:2525"));
}

void TestMailComposer::composesPartsInOrder()
{
    MMail mail;
    BasicRandom random;
    const QByteArray bytes("MZ\x90\0\x03 the package", 18);
    const QString cube = WriteFile(m_env.path(QStringLiteral("Cube.exe")), bytes);
    QVERIFY(MailComposer(mail, SystemClock, random)
                .Compose({QStringLiteral("a@b , c@d"), QStringLiteral("me@here"), QStringLiteral("Hello"), cube,
                          QStringLiteral("localhost"), true}));
    const MimeMessage &m = mail.message();
    QCOMPARE(m.from, QStringLiteral("me@here"));
    QCOMPARE(m.to, QStringLiteral("a@b , c@d"));
    QCOMPARE(m.subject, QStringLiteral("Hello"));
    QCOMPARE(m.container.contentTypeLine(), QByteArray("multipart/mixed; boundary=70554751157_boundary"));
    QCOMPARE(m.parts.size(), 2);
    QCOMPARE(m.parts.at(0).contentTypeLine(), QByteArray("text/plain; charset=us-ascii"));
    QCOMPARE(m.parts.at(0).encoding, QStringLiteral("7bit"));
    QCOMPARE(m.parts.at(0).content, LoadResString(67).toLatin1());
    QCOMPARE(m.parts.at(1).contentTypeLine(), QByteArray("application/octet-stream; name=\"Cube.exe\""));
    QCOMPARE(m.parts.at(1).encoding, QStringLiteral("base64"));
    QCOMPARE(m.parts.at(1).disposition, QStringLiteral("attachment; filename=\"Cube.exe\""));
    QCOMPARE(m.parts.at(1).content, bytes);
    QCOMPARE(mail.mode(), qint16(1));
    QCOMPARE(mail.flags(), 130);
}

void TestMailComposer::missingAttachmentStopsComposition()
{
    MMail mail;
    BasicRandom random;
    QVERIFY(!MailComposer(mail, SystemClock, random)
                 .Compose({QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"),
                           m_env.path(QStringLiteral("none/Cube.exe")), QStringLiteral("localhost"), true}));
    QCOMPARE(mail.lastError(), 0);
    QVERIFY(mail.server().isEmpty());
}

void TestMailComposer::standardTextSpeaksOfWhatIsAttached_data()
{
    QTest::addColumn<bool>("program");
    QTest::addColumn<bool>("webPage");
    QTest::addColumn<int>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("Cube.exe") << true << false << 67 << QStringList{"Cube.exe"};
    QTest::newRow("Cube.html") << false << true << 211 << QStringList{"Cube.html"};
    QTest::newRow("both") << true << true << 212 << QStringList{"Cube.exe", "Cube.html"};
}

void TestMailComposer::standardTextSpeaksOfWhatIsAttached()
{
    QFETCH(bool, program);
    QFETCH(bool, webPage);
    QFETCH(int, text);
    QFETCH(QStringList, names);
    MMail mail;
    BasicRandom random;
    MailOrder order{QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"), QString(),
                    QStringLiteral("localhost"), false};
    if (program)
        order.attachment = WriteFile(m_env.path(QStringLiteral("Cube.exe")), "MZ");
    if (webPage)
        order.webPage = WriteFile(m_env.path(QStringLiteral("Cube.html")), "<!DOCTYPE html>");
    QVERIFY(MailComposer(mail, SystemClock, random).Compose(order));
    const QList<MimeEntity> &parts = mail.message().parts;
    QCOMPARE(parts.at(0).content, LoadResString(text).toLatin1());
    QStringList attached;
    for (const MimeEntity &part : parts.mid(1))
        attached << part.parameter(QStringLiteral("name"));
    QCOMPARE(attached, names);
}

void TestMailComposer::pictureShowsAboveTheTextInAWebPageAlternative()
{
    MMail mail;
    BasicRandom random;
    MailOrder order{QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"),
                    WriteFile(m_env.path(QStringLiteral("Cube.exe")), "MZ"), QStringLiteral("localhost"), false};
    order.caption = QStringLiteral("Sun & <sea>");
    order.message = QStringLiteral("Dear Ann,\n\nour summer.");
    order.picture = WriteFile(m_env.path(QStringLiteral("cubefold.jpg")), "\xff\xd8 picture");
    QVERIFY(MailComposer(mail, SystemClock, random).Compose(order));
    const QList<MimeEntity> &parts = mail.message().parts;
    QCOMPARE(parts.size(), 2);
    const MimeEntity &alternative = parts.at(0);
    QCOMPARE(alternative.contentTypeLine(), QByteArray("multipart/alternative; boundary=alt_70554751157_boundary"));
    QCOMPARE(alternative.parts.size(), 2);
    QCOMPARE(alternative.parts.at(0).contentTypeLine(), QByteArray("text/plain; charset=us-ascii"));
    QCOMPARE(alternative.parts.at(0).content,
             QByteArray("Sun & <sea>\r\nDear Ann,\r\n\r\nour summer.\r\n") + LoadResString(67).toLatin1());
    const MimeEntity &related = alternative.parts.at(1);
    QCOMPARE(related.contentTypeLine(), QByteArray("multipart/related; boundary=rel_70554751157_boundary"));
    QCOMPARE(related.parts.size(), 2);
    const MimeEntity &picture = related.parts.at(1);
    QCOMPARE(picture.contentTypeLine(), QByteArray("image/jpeg; name=\"Cube.jpg\""));
    QCOMPARE(picture.disposition, QStringLiteral("inline; filename=\"Cube.jpg\""));
    QCOMPARE(picture.contentId, QStringLiteral("<cube.70554751157_boundary@vexilo>"));
    const QString html = QString::fromUtf8(related.parts.at(0).content.bytes());
    const qsizetype image = html.indexOf(QStringLiteral("<img src=\"cid:cube.70554751157_boundary@vexilo\""));
    QVERIFY(image > 0);
    QVERIFY(image < html.indexOf(QStringLiteral("<h1>Sun &amp; &lt;sea&gt;</h1>")));
    QVERIFY(html.indexOf(QStringLiteral("<h1>")) < html.indexOf(QStringLiteral("<p>Dear Ann,</p>")));
    QVERIFY(html.indexOf(QStringLiteral("<p>our summer.</p>")) < html.indexOf(QStringLiteral("<p>Congratulations!")));
    QCOMPARE(parts.at(1).parameter(QStringLiteral("name")), QStringLiteral("Cube.exe"));
}

void TestMailComposer::ownWordsThatAreNotAsciiGoAsUtf8()
{
    MMail mail;
    BasicRandom random;
    MailOrder order{QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"),
                    WriteFile(m_env.path(QStringLiteral("Cube.exe")), "MZ"), QStringLiteral("localhost"), false};
    order.message = QStringLiteral("Für dich \u2764");
    QVERIFY(MailComposer(mail, SystemClock, random).Compose(order));
    const MimeEntity &text = mail.message().parts.at(0);
    QCOMPARE(text.contentTypeLine(), QByteArray("text/plain; charset=utf-8"));
    QCOMPARE(text.encoding, QStringLiteral("base64"));
    QVERIFY(text.content.bytes().startsWith(QStringLiteral("Für dich \u2764\r\n").toUtf8()));
}

// The message shows the cube turning when the send could make its GIF, the
// link preview when it could not, and no picture without either.
void TestMailComposer::movingPictureOrElseTheStill_data()
{
    QTest::addColumn<bool>("gif");
    QTest::addColumn<bool>("still");
    QTest::addColumn<QByteArray>("type"); // empty: no picture part
    QTest::addColumn<QString>("width");
    QTest::newRow("both") << true << true << QByteArray("image/gif; name=\"Cube.gif\"") << "400";
    QTest::newRow("still only") << false << true << QByteArray("image/jpeg; name=\"Cube.jpg\"") << "560";
    QTest::newRow("neither") << false << false << QByteArray() << QString();
}

void TestMailComposer::movingPictureOrElseTheStill()
{
    QFETCH(bool, gif);
    QFETCH(bool, still);
    QFETCH(QByteArray, type);
    QFETCH(QString, width);
    const QString work = m_env.path(QStringLiteral("CubeTemp%1%2").arg(gif).arg(still));
    WriteFile(work + QStringLiteral("/Cube.exe"), "MZ");
    if (gif) {
        MovingPicture::Options options = MovingPicture::Options::For(MovingPicture::Format::Gif);
        options.edge = CubeBuilder::MessagePictureEdge;
        options.seconds = 0.1;
        QVERIFY(QDir().mkpath(QFileInfo(CubeBuilder::MessagePictureIn(work)).path()));
        QVERIFY(MovingPicture::Write(CubeRenderer({}), options, CubeBuilder::MessagePictureIn(work)).written);
    }
    if (still)
        WriteFile(work + QStringLiteral("/preview.jpg"),
                  TestPictures::Encode(TestPictures::Solid(CubeBuilder::LinkPreviewSize, Qt::red), "jpeg"));
    MailOrder order{QStringLiteral("a@b"), QStringLiteral("c@d"), QStringLiteral("s"), QString(),
                    QStringLiteral("localhost"), false};
    AttachCubeFiles(order, work, true, false);
    MMail mail;
    BasicRandom random;
    QVERIFY(MailComposer(mail, SystemClock, random).Compose(order));
    const MimeEntity &text = mail.message().parts.at(0);
    if (type.isEmpty()) {
        QCOMPARE(text.contentTypeLine(), QByteArray("text/plain; charset=us-ascii"));
        return;
    }
    const MimeEntity &related = text.parts.at(1);
    QCOMPARE(related.parts.at(1).contentTypeLine(), type);
    QVERIFY(QString::fromUtf8(related.parts.at(0).content.bytes()).contains(QStringLiteral("width=\"%1\"").arg(width)));
}

void TestMailComposer::normalizeAddressList_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("semicolons") << "a@x;b@y"
                                << "a@x,b@y";
    QTest::newRow("blanks and empty entries stay") << "a@x ; b@y;;"
                                                   << "a@x , b@y,,";
    QTest::newRow("commas unchanged") << "a@x, b@y"
                                      << "a@x, b@y";
}

void TestMailComposer::normalizeAddressList()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(NormalizeAddressList(in), out);
}

QTEST_MAIN(TestMailComposer)
#include "tst_mailcomposer.moc"
