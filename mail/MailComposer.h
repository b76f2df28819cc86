#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class BasicRandom;
class MMail;

// The two clock readings a message's Date is made from, both to the second.
struct ClockReading
{
    QDateTime local;
    QDateTime utc;
};
using MailClock = std::function<ClockReading()>;
ClockReading SystemClock();

// What a cube message is made of; the rest is fixed.
struct MailOrder
{
    QString recipients; // "," separated
    QString sender;
    QString subject;
    QString attachment; // the package file, "Cube.exe"; none when empty
    QString server; // as typed: see SmtpEndpoint
    bool useDefaultServer = true;
    QString webPage{}; // the cube as one web page, "Cube.html", attached after Cube.exe; none when empty
    QString message{}; // the sender's own words, before the standard text
    QString caption{}; // the cube's caption
    QString picture{}; // a GIF or JPEG of the cube shown at the top of the message; text only when empty
};

// The standard text for what the message carries.
int MessageBodyFor(const MailOrder &order);
// The files of a cube built in workDirectory that the message carries:
// Cube.exe, Cube.html, and as the picture the cube turning (a GIF) or,
// without one, the cube's link preview.
void AttachCubeFiles(MailOrder &order, const QString &workDirectory, bool program, bool webPage);

// Composes the cube message in the mail control, in the order the control
// expects: header fields, the text, the attachments (Cube.exe, Cube.html),
// and finally the server to send it to. With a picture the text is plain
// text and, as its alternative, a web page that shows the picture at its
// top (multipart/related, the picture referred to by its Content-ID).
class MailComposer
{
public:
    explicit MailComposer(MMail &mail, MailClock clock = SystemClock);
    MailComposer(MMail &mail, MailClock clock, BasicRandom &random);

    // False when composition stopped at a value or an operation the control
    // refused (a CR, LF or NUL in an address or the subject, a missing
    // attachment); the control's last error number then stays 0.
    bool Compose(const MailOrder &order);

    static QString FormatMailDate(const QDateTime &local);
    static QString ZoneText(const ClockReading &now);
    static QString MailerLine();
    static QString ProductToken();
    static QString BoundaryFor(double r);
    // The text and its web page alternative; cid names the picture.
    static QString PlainText(const MailOrder &order);
    static QString HtmlText(const MailOrder &order, const QString &cid);

private:
    void Attach(const QString &type, const QString &subType, const QString &name, const QString &path,
                const QString &disposition = QStringLiteral("attachment"));
    void AddText(const MailOrder &order, const QString &boundary);
    void TextPart(const QString &subType, const QString &text);
    void OpenMultipart(const QString &subType, const QString &boundary);

    MMail &m_mail;
    MailClock m_clock;
    BasicRandom &m_random;
};

// Every ";" of an address list becomes ","; nothing else changes.
QString NormalizeAddressList(const QString &list);
