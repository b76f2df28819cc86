#include "mail/MailComposer.h"

#include "components/mmail/MMail.h"
#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageIds.h"
#include "mail/BasicRandom.h"
#include "publish/CubeBuilder.h"
#include "resources/StringTable.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

// The constants the product token is written from; the default relay
// recognises the token they make.
constexpr quint32 kProductConstants[16] = {0x4E, 0x6F, 0x72, 0x76, 0x61,  0x6E,  0x65,   0x2,
                                           0x0,  0x2D, 0x56, 0x58, 0x1CF, 0x7E5, 0xC0BE, 0x5};

struct Refused
{
};

void need(bool accepted)
{
    if (!accepted)
        throw Refused{};
}

QDateTime toSecond(const QDateTime &t)
{
    const QTime time = t.time();
    return QDateTime(t.date(), QTime(time.hour(), time.minute(), time.second()), t.timeSpec());
}

} // namespace

ClockReading SystemClock()
{
    const QDateTime now = toSecond(QDateTime::currentDateTime());
    return {now, now.toUTC()};
}

MailComposer::MailComposer(MMail &mail, MailClock clock)
    : MailComposer(mail, std::move(clock), BasicRandom::program())
{
}

MailComposer::MailComposer(MMail &mail, MailClock clock, BasicRandom &random)
    : m_mail(mail)
    , m_clock(std::move(clock))
    , m_random(random)
{
}

QString MailComposer::FormatMailDate(const QDateTime &local)
{
    return QLocale::c().toString(local, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss"));
}

// The offset of local time from UTC, from the two clocks' full dates and
// times, to the nearest minute (zones such as +0530 keep their minutes).
QString MailComposer::ZoneText(const ClockReading &now)
{
    const QDateTime local(now.local.date(), now.local.time(), Qt::UTC);
    const QDateTime utc(now.utc.date(), now.utc.time(), Qt::UTC);
    const qint64 minutes = std::llround(utc.secsTo(local) / 60.0);
    const qint64 magnitude = std::abs(minutes);
    return QStringLiteral("%1%2%3")
        .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QString MailComposer::MailerLine()
{
    return QStringLiteral("X-Mailer: Norvane(R) Vexilo, %1.%2.%3, %4")
        .arg(AppMajor)
        .arg(AppMinor)
        .arg(AppRevision)
        .arg(LoadResString(Msg::LanguageCode));
}

QString MailComposer::ProductToken()
{
    QString token;
    for (quint32 c : kProductConstants)
        token += QString::number(c, 16).toUpper();
    return token;
}

QString MailComposer::BoundaryFor(double r)
{
    return QString::number(qint64(std::floor(r * 100000000000.0))) + QStringLiteral("_boundary");
}

// One base64 part read from a file; a new part follows.
void MailComposer::Attach(const QString &type, const QString &subType, const QString &name, const QString &path,
                          const QString &disposition)
{
    MMail &m = m_mail;
    const QString quotedName = QLatin1Char('"') + name + QLatin1Char('"');
    m.setContentType(type);
    m.setContentSubType(subType);
    m.setContentParameters(QStringLiteral("name=") + quotedName);
    m.setContentTransferEncoding(QStringLiteral("base64"));
    m.setContentDisposition(disposition + QStringLiteral("; filename=") + quotedName);
    m.setFlags(130);
    m.setContentFile(path);
    for (int op : {MMail::LoadFile, MMail::AddPart, MMail::EndEntity, MMail::NewPart})
        need(m.setAction(op));
}

namespace {

// Text goes as it is when it is ASCII in lines that mail servers take,
// else as base64 UTF-8.
bool IsSevenBitText(const QString &text)
{
    for (const QString &line : text.split(QStringLiteral("\r\n")))
        if (line.size() > 998)
            return false;
    for (QChar c : text)
        if (c.unicode() > 126 || (c.unicode() < 32 && c != QLatin1Char('\r') && c != QLatin1Char('\n')
                                  && c != QLatin1Char('\t')))
            return false;
    return true;
}

QString CrLfLines(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

// Paragraphs at blank lines, line breaks kept within them.
QString HtmlParagraphs(const QString &text)
{
    QString html;
    const QStringList paragraphs =
        CrLfLines(text).split(QRegularExpression(QStringLiteral("(\r\n){2,}")), Qt::SkipEmptyParts);
    for (const QString &paragraph : paragraphs)
        if (const QString p = paragraph.trimmed(); !p.isEmpty())
            html += QStringLiteral("<p>") + p.toHtmlEscaped().replace(QStringLiteral("\r\n"), QStringLiteral("<br>\r\n"))
                    + QStringLiteral("</p>\r\n");
    return html;
}

// The picture's own width, up to what a message column shows.
int ShownWidth(const QString &picture)
{
    const int width = QImageReader(picture).size().width();
    return width > 0 ? std::min(width, 560) : 560;
}

} // namespace

QString MailComposer::PlainText(const MailOrder &order)
{
    QString text;
    for (const QString &own : {order.caption.trimmed(), order.message.trimmed()})
        if (!own.isEmpty())
            text += CrLfLines(own) + QStringLiteral("\r\n");
    return text + LoadResString(MessageBodyFor(order));
}

QString MailComposer::HtmlText(const MailOrder &order, const QString &cid)
{
    const QString caption = order.caption.trimmed().toHtmlEscaped();
    const QString title = caption.isEmpty() ? order.subject.toHtmlEscaped() : caption;
    const QString alt = caption.isEmpty() ? LoadResString(Msg::ProductName) : caption;
    QString html = QStringLiteral("<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\r\n"
                                  "<body style=\"font-family: sans-serif\">\r\n"
                                  "<p><img src=\"cid:%2\" alt=\"%3\" width=\"%4\" "
                                  "style=\"max-width: 100%; height: auto\"></p>\r\n")
                       .arg(title, cid, alt, QString::number(ShownWidth(order.picture)));
    if (!caption.isEmpty())
        html += QStringLiteral("<h1>%1</h1>\r\n").arg(caption);
    html += HtmlParagraphs(order.message);
    html += HtmlParagraphs(LoadResString(MessageBodyFor(order)).replace(QStringLiteral("\r\n"), QStringLiteral("\r\n\r\n")));
    return html + QStringLiteral("</body></html>\r\n");
}

void MailComposer::TextPart(const QString &subType, const QString &text)
{
    MMail &m = m_mail;
    const bool plain = IsSevenBitText(text);
    m.setContentType(QStringLiteral("text"));
    m.setContentSubType(subType);
    m.setContentParameters(plain ? QStringLiteral("charset=us-ascii") : QStringLiteral("charset=utf-8"));
    m.setContentTransferEncoding(plain ? QStringLiteral("7bit") : QStringLiteral("base64"));
    need(m.setBodyText(0, text));
    need(m.setAction(MMail::AddPart));
    need(m.setAction(MMail::NewPart));
}

void MailComposer::OpenMultipart(const QString &subType, const QString &boundary)
{
    MMail &m = m_mail;
    m.setContentType(QStringLiteral("multipart"));
    m.setContentSubType(subType);
    m.setContentParameters(QStringLiteral("boundary=") + boundary);
    need(m.setAction(MMail::OpenMultipart));
    need(m.setAction(MMail::NewPart));
}

// The nested boundaries begin differently from the message's, so that no
// delimiter line starts with another.
void MailComposer::AddText(const MailOrder &order, const QString &boundary)
{
    if (order.picture.isEmpty())
        return TextPart(QStringLiteral("plain"), PlainText(order));
    const QString cid = QStringLiteral("cube.%1@vexilo").arg(boundary);
    OpenMultipart(QStringLiteral("alternative"), QStringLiteral("alt_") + boundary);
    TextPart(QStringLiteral("plain"), PlainText(order));
    OpenMultipart(QStringLiteral("related"), QStringLiteral("rel_") + boundary);
    TextPart(QStringLiteral("html"), HtmlText(order, cid));
    need(m_mail.setContentId(QLatin1Char('<') + cid + QLatin1Char('>')));
    const bool moving = order.picture.endsWith(QLatin1String(".gif"));
    Attach(QStringLiteral("image"), moving ? QStringLiteral("gif") : QStringLiteral("jpeg"),
           moving ? QStringLiteral("Cube.gif") : QStringLiteral("Cube.jpg"), order.picture, QStringLiteral("inline"));
    need(m_mail.setAction(MMail::CloseMultipart));
    need(m_mail.setAction(MMail::CloseMultipart));
}

bool MailComposer::Compose(const MailOrder &order)
{
    MMail &m = m_mail;
    try {
        m.setMode(1);
        const ClockReading now = m_clock();
        const QString zone = ZoneText(now);
        need(m.setAction(MMail::NewMessage));
        need(m.setDate(FormatMailDate(now.local)));
        need(m.setDate(m.date() + QLatin1Char(' ') + zone));
        need(m.setFrom(order.sender));
        need(m.setSender(order.sender));
        need(m.setTo(order.recipients));
        need(m.setSubject(order.subject));
        need(m.setHeaderLine(m.headerCount(), MailerLine()));
        if (order.useDefaultServer) {
            const QString token = ProductToken();
            need(m.setHeaderLine(m.headerCount(), QStringLiteral("X-NorvaneProduct: ") + token));
        }
        const QString boundary = BoundaryFor(m_random.next());

        m.setContentType(QStringLiteral("multipart"));
        m.setContentSubType(QStringLiteral("mixed"));
        m.setContentParameters(QStringLiteral("boundary=") + boundary);
        need(m.setBoundary(boundary));
        need(m.setAction(MMail::EndEntity));
        need(m.setAction(MMail::NewPart));

        AddText(order, boundary);
        if (!order.attachment.isEmpty())
            Attach(QStringLiteral("application"), QStringLiteral("octet-stream"), QStringLiteral("Cube.exe"),
                   order.attachment);
        if (!order.webPage.isEmpty())
            Attach(QStringLiteral("text"), QStringLiteral("html"), QStringLiteral("Cube.html"), order.webPage);

        need(m.setServer(order.server));
        m.setTlsPolicy(0);
    } catch (const Refused &) {
        return false;
    }
    return true;
}

int MessageBodyFor(const MailOrder &order)
{
    if (order.webPage.isEmpty())
        return Msg::MessageBody;
    return order.attachment.isEmpty() ? Msg::WebPageBody : Msg::BothBody;
}

void AttachCubeFiles(MailOrder &order, const QString &workDirectory, bool program, bool webPage)
{
    const auto inWork = [&](const char *name) { return AppPaths::join(workDirectory, QLatin1String(name)); };
    order.attachment = program ? inWork("Cube.exe") : QString();
    order.webPage = webPage ? inWork("Cube.html") : QString();
    // The cube turning when the send made its picture, else as the page
    // first shows it, which the build draws for link previews.
    for (const QString &picture : {CubeBuilder::MessagePictureIn(workDirectory), inWork("preview.jpg")})
        if (order.picture.isEmpty() && QFileInfo::exists(picture))
            order.picture = picture;
}

QString NormalizeAddressList(const QString &list)
{
    QString normalized = list;
    return normalized.replace(QLatin1Char(';'), QLatin1Char(','));
}
