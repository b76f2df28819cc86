#include "core/AppPaths.h"
#include "core/MessageIds.h"
#include "publish/BrowserLaunch.h"
#include "resources/StringTable.h"
#include "tests/support/HeadlessBrowser.h"
#include "tests/support/TestEnvironment.h"

#include <QHash>
#include <algorithm>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

// What the page holds: its element ids, its links within itself, and each
// quoted string-table text with the section it stands in.
struct PageOutline
{
    QString error; // empty when the page is well-formed
    QString language;
    QString title;
    QSet<QString> ids;
    QSet<QString> sectionsWithHeading;
    QStringList fragmentLinks;
    struct Quote
    {
        int id;
        QString text;
        QStringList vars;
        QString section;
    };
    QList<Quote> quotes;
};

PageOutline ReadOutline(const QByteArray &page)
{
    PageOutline outline;
    QXmlStreamReader xml(page);
    QString section;
    int quoteDepth = 0; // nesting inside the quote being read, 0 outside one
    PageOutline::Quote quote{};
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes a = xml.attributes();
            const QString name = xml.name().toString();
            if (name == QLatin1String("html"))
                outline.language = a.value(QLatin1String("lang")).toString();
            if (name == QLatin1String("title"))
                outline.title = xml.readElementText();
            if (a.hasAttribute(QLatin1String("id")))
                outline.ids.insert(a.value(QLatin1String("id")).toString());
            if (name == QLatin1String("section"))
                section = a.value(QLatin1String("id")).toString();
            if (name == QLatin1String("h2"))
                outline.sectionsWithHeading.insert(section);
            if (name == QLatin1String("a") && a.value(QLatin1String("href")).startsWith(QLatin1Char('#')))
                outline.fragmentLinks << a.value(QLatin1String("href")).mid(1).toString();
            if (quoteDepth > 0) {
                ++quoteDepth;
                if (name == QLatin1String("var"))
                    quote.vars << QString();
            } else if (a.hasAttribute(QLatin1String("data-msg"))) {
                quote = {a.value(QLatin1String("data-msg")).toInt(), QString(), {}, section};
                quoteDepth = 1;
            }
        } else if (xml.isCharacters() && quoteDepth > 0) {
            quote.text += xml.text();
            if (quoteDepth > 1 && !quote.vars.isEmpty())
                quote.vars.last() += xml.text();
        } else if (xml.isEndElement() && quoteDepth > 0 && --quoteDepth == 0) {
            outline.quotes << quote;
        }
    }
    if (xml.hasError())
        outline.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return outline;
}

// A string-table text as the page shows it: mnemonic ampersands gone,
// placeholders %1, %2 ... filled with the page's examples.
QString Shown(int id, const QStringList &vars)
{
    QString text = LoadResString(id);
    text.remove(QLatin1Char('&'));
    for (const QString &var : vars)
        text = text.arg(var);
    return text;
}

} // namespace

// The help page: where it is, that it is well-formed HTML with its sections,
// and that every message it quotes is the program's own text.
class TestHelpPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void buildTreeHoldsTheSourcePage();
    void installTreeHoldsThePageWhereTheLinkLooks();
    void wellFormedWithTitleAndLanguage();
    void sections_data();
    void sections();
    void linksWithinThePageArrive();
    void quotesAreTheProgramsTexts();
    void troubleshootingCoversTheMessages_data();
    void troubleshootingCoversTheMessages();
    void rendersInChromium();

private:
    QString m_source;
    PageOutline m_outline;
};

void TestHelpPage::initTestCase()
{
    m_source = TestEnvironment::sourceDir() + QStringLiteral("/Help/vexilo-help.html");
    m_outline = ReadOutline(ReadFile(m_source));
}

void TestHelpPage::buildTreeHoldsTheSourcePage()
{
    const QString built = TestEnvironment::appDir() + QStringLiteral("/Help/vexilo-help.html");
    QVERIFY(QFile::exists(built));
    QCOMPARE(ReadFile(built), ReadFile(m_source));
}

void TestHelpPage::installTreeHoldsThePageWhereTheLinkLooks()
{
    TestEnvironment env;
    QProcess install;
    QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
    vars.insert(QStringLiteral("DESTDIR"), env.path(QStringLiteral("staged")));
    install.setProcessEnvironment(vars);
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral("cmake"), {QStringLiteral("--install"), TestEnvironment::appDir() + QStringLiteral("/.."),
                                            QStringLiteral("--prefix"), QStringLiteral("/usr")});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());

    AppPaths::setProgramDirectory(env.path(QStringLiteral("staged/usr/lib/vexilo")));
    const QUrl address(BrowserLaunch::SupportAddress());
    AppPaths::setProgramDirectory(TestEnvironment::appDir());
    QVERIFY(address.isLocalFile());
    QCOMPARE(ReadFile(address.toLocalFile()), ReadFile(m_source));
}

void TestHelpPage::wellFormedWithTitleAndLanguage()
{
    QVERIFY2(m_outline.error.isEmpty(), qPrintable(m_outline.error));
    QCOMPARE(m_outline.title, QStringLiteral("Vexilo Help"));
    QCOMPARE(m_outline.language, QStringLiteral("en"));
    QVERIFY(ReadFile(m_source).startsWith("<!DOCTYPE html>\n"));
}

void TestHelpPage::sections_data()
{
    QTest::addColumn<QString>("id");
    for (const char *id : {"make", "documents", "preview", "save", "print", "send", "mail-server", "settings",
                           "troubleshooting"})
        QTest::newRow(id) << QString::fromLatin1(id);
}

void TestHelpPage::sections()
{
    QFETCH(QString, id);
    QVERIFY(m_outline.ids.contains(id));
    QVERIFY(m_outline.sectionsWithHeading.contains(id));
    QVERIFY(m_outline.fragmentLinks.contains(id)); // the contents list leads to it
}

void TestHelpPage::linksWithinThePageArrive()
{
    for (const QString &target : m_outline.fragmentLinks)
        QVERIFY2(m_outline.ids.contains(target), qPrintable(target));
}

void TestHelpPage::quotesAreTheProgramsTexts()
{
    QVERIFY(m_outline.quotes.size() > 40);
    for (const PageOutline::Quote &quote : m_outline.quotes) {
        QVERIFY2(!LoadResString(quote.id).isEmpty(), qPrintable(QString::number(quote.id)));
        QCOMPARE(quote.text, Shown(quote.id, quote.vars));
    }
}

void TestHelpPage::troubleshootingCoversTheMessages_data()
{
    QTest::addColumn<int>("id");
    for (int id : {Msg::NoPhotosFound, Msg::NoPhotoSelected, Msg::PhotoFailedToLoad, Msg::DroppedPhotoFailed,
                   Msg::DroppedTypeRefused, Msg::PasteFailed, Msg::UnableToCreateFiles,
                   Msg::UnableToCreateTempDirectory, Msg::UnableToCreateDirectory, Msg::DirectoryExists,
                   Msg::NoBrowserFound, Msg::BrowserNotLaunched, Msg::RecipientMissing, Msg::SenderMissing,
                   Msg::ServerNameMissing, Msg::ServiceUnavailable, Msg::CommunicationError, Msg::SlowNetwork,
                   Msg::ServiceNotAvailable, Msg::MessageFormatError, Msg::CertificateRejected,
                   Msg::SecureConnectionUnavailable, Msg::SecureConnectionFailed, Msg::SecureConnectionNotStarted,
                   Msg::SignInOnlyElsewhere, Msg::ProgramRefused, Msg::MessageRefusedBecause,
                   Msg::NoMailProgram, Msg::NotHandedToMailProgram,
                   Msg::SignInRefused, Msg::WebSignInRequired, Msg::InsecureSignIn, Msg::AddressNotAscii,
                   Msg::NoPasswordGiven, Msg::CannotRememberPassword, Msg::CubeDamaged, Msg::CubeTooNew,
                   Msg::CubePhotoGone, Msg::CubeNotWritten, Msg::PhotoFolderUnreadable, Msg::PhotoNameUnusable,
                   Msg::PhotoTooLarge, Msg::MovingPictureNotWritten})
        QTest::newRow(qPrintable(QString::number(id))) << id;
}

void TestHelpPage::troubleshootingCoversTheMessages()
{
    QFETCH(int, id);
    const auto found = std::find_if(m_outline.quotes.cbegin(), m_outline.quotes.cend(), [id](const auto &quote) {
        return quote.id == id && quote.section == QLatin1String("troubleshooting");
    });
    QVERIFY(found != m_outline.quotes.cend());
}

void TestHelpPage::rendersInChromium()
{
    if (!HeadlessBrowser::HaveChromium())
        QSKIP("no Chromium");
    TestEnvironment env;
    const QImage shot = HeadlessBrowser::ChromiumScreenshot(QUrl::fromLocalFile(m_source).toString(),
                                                            env.path(QStringLiteral("profile")), QSize(800, 600));
    QCOMPARE(shot.size(), QSize(800, 600));
    // The page's own style: the navy heading band across the top, and the
    // light page as the commonest colour below it.
    for (int x = 0; x < shot.width(); x += 50)
        QCOMPARE(shot.pixelColor(x, 5), QColor(0x10, 0x26, 0x54));
    QHash<QRgb, int> colours;
    for (int y = 300; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            ++colours[shot.pixel(x, y)];
    const auto commonest = std::max_element(colours.cbegin(), colours.cend());
    QCOMPARE(QColor(commonest.key()), QColor(0xf7, 0xf9, 0xfd));
}

QTEST_MAIN(TestHelpPage)
#include "tst_helppage.moc"
