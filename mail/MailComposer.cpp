#include "mail/MailComposer.h"

#include "components/mmail/MMail.h"
#include "core/Globals.h"
#include "core/MessageIds.h"
#include "mail/BasicRandom.h"
#include "resources/StringTable.h"

#include <QLocale>
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

// One base64 attachment part read from a file; a new part follows.
void MailComposer::Attach(const QString &type, const QString &subType, const QString &name, const QString &path)
{
    MMail &m = m_mail;
    const QString quotedName = QLatin1Char('"') + name + QLatin1Char('"');
    m.setContentType(type);
    m.setContentSubType(subType);
    m.setContentParameters(QStringLiteral("name=") + quotedName);
    m.setContentTransferEncoding(QStringLiteral("base64"));
    m.setContentDisposition(QStringLiteral("attachment; filename=") + quotedName);
    m.setFlags(130);
    m.setContentFile(path);
    for (int op : {MMail::LoadFile, MMail::AddPart, MMail::EndEntity, MMail::NewPart})
        need(m.setAction(op));
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

        if (!order.attachment.isEmpty())
            Attach(QStringLiteral("application"), QStringLiteral("octet-stream"), QStringLiteral("Cube.exe"),
                   order.attachment);
        if (!order.webPage.isEmpty())
            Attach(QStringLiteral("text"), QStringLiteral("html"), QStringLiteral("Cube.html"), order.webPage);

        m.setContentType(QStringLiteral("text"));
        m.setContentSubType(QStringLiteral("plain"));
        m.setContentParameters(QStringLiteral("charset=us-ascii"));
        m.setContentTransferEncoding(QStringLiteral("7bit"));
        need(m.setBodyText(0, LoadResString(MessageBodyFor(order))));
        need(m.setAction(MMail::AddPart));

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

QString NormalizeAddressList(const QString &list)
{
    QString normalized = list;
    return normalized.replace(QLatin1Char(';'), QLatin1Char(','));
}
