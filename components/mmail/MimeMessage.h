#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One MIME entity as the control's content properties describe it: the
// multipart container of the message, or one of its parts.
struct MimeEntity
{
    QString type; // "multipart", "application", "text"
    QString subType; // "mixed", "octet-stream", "plain"
    QString parameters; // "boundary=...", "name=\"Cube.exe\"", "charset=us-ascii"
    QString encoding; // "base64", "7bit"
    QString disposition; // "attachment; filename=\"Cube.exe\""
    QByteArray content; // the bytes of the part's file, or its body text
    bool hasContent = false;

    QByteArray contentTypeLine() const;
};

// The message the control sends: header fields in the order they were set,
// then a multipart body. Rendered as the bytes of the SMTP DATA phase
// (CR LF line ends, dot-stuffed, without the terminating "." line).
class MimeMessage
{
public:
    QString date, from, to, subject;
    QString messageId; // "<unique@domain>", added by the transport when it sends
    QStringList extraHeaderLines;
    MimeEntity container;
    QString boundary;
    QList<MimeEntity> parts;

    // The bytes of the message, produced piece by piece so that a large
    // attachment is base64-encoded while it is sent, not all at once.
    class Stream
    {
    public:
        explicit Stream(const MimeMessage &message);
        qint64 size() const { return m_size; }
        bool atEnd() const { return m_segment >= m_segments.size(); }
        // Up to about maxBytes of the next bytes (whole lines for base64).
        QByteArray read(qint64 maxBytes);

    private:
        struct Segment
        {
            QByteArray bytes;
            bool base64 = false; // bytes are raw, sent base64-encoded
        };
        QList<Segment> m_segments;
        qsizetype m_segment = 0;
        qsizetype m_offset = 0;
        qint64 m_size = 0;
    };

    Stream stream() const;

    // The whole message at once (tests and the benchmark's reference copy).
    QByteArray render() const;

    static QByteArray headerLine(const QString &name, const QString &value);
    // The Subject field: folded plain text where that keeps every line
    // within 998 octets, else RFC 2047 encoded words.
    static QByteArray subjectLine(const QString &subject);
    static QByteArray encodedWords(const QString &text);
    static qint64 base64Size(qint64 rawBytes);
    static QByteArray toCrLfText(const QByteArray &text);
    static QByteArray dotStuffed(const QByteArray &crlfText);
};
