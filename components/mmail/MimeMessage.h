#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QFile;

// The bytes of a part: held here (a body text), or those of a file, which
// are read only while the message is sent.
class MimeContent
{
public:
    MimeContent() = default;
    MimeContent(const QByteArray &bytes)
        : m_bytes(bytes)
    {
    }
    // The file as it is now: the message is sent with this size of it.
    static std::optional<MimeContent> fromFile(const QString &path);

    bool isFile() const { return !m_path.isEmpty(); }
    const QByteArray &bytes() const { return m_bytes; } // empty for a file
    const QString &filePath() const { return m_path; }
    qint64 size() const { return isFile() ? m_fileSize : m_bytes.size(); }

    // Whether the content is these bytes; a file is read a piece at a time.
    friend bool operator==(const MimeContent &content, const QByteArray &bytes);

private:
    QByteArray m_bytes;
    QString m_path;
    qint64 m_fileSize = 0;
};

// One MIME entity as the control's content properties describe it: the
// multipart container of the message, or one of its parts.
struct MimeEntity
{
    QString type; // "multipart", "application", "text"
    QString subType; // "mixed", "octet-stream", "plain"
    QString parameters; // "boundary=...", "name=\"Cube.exe\"", "charset=us-ascii"
    QString encoding; // "base64", "7bit"
    QString disposition; // "attachment; filename=\"Cube.exe\""
    MimeContent content; // the part's file, or its body text
    bool hasContent = false;
    QString contentId; // "<id@domain>", for a part that others refer to as "cid:id@domain"
    QList<MimeEntity> parts; // the parts of a multipart entity inside the message's container

    QByteArray contentTypeLine() const;
    bool isBase64() const;
    bool isMultipart() const;
    // The value of a content-type parameter ("boundary"), without quotes.
    QString parameter(const QString &name) const;
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
    // attachment is read and base64-encoded while it is sent, never held
    // whole. A part's file is opened when the stream is made and must keep
    // the size it had when the message was composed.
    class Stream
    {
    public:
        explicit Stream(const MimeMessage &message);
        ~Stream();
        qint64 size() const { return m_size; }
        bool atEnd() const { return m_segment >= m_segments.size(); }
        // Puts up to about maxBytes of the next bytes into out, in place
        // (whole lines for base64). False once a part's file could not be
        // opened or read, or was found shorter or longer than composed.
        bool read(QByteArray &out, qint64 maxBytes);
        bool failed() const { return !m_error.isEmpty(); }
        QString errorString() const { return m_error; }

    private:
        struct Segment
        {
            QByteArray bytes; // as sent, or raw when base64
            std::unique_ptr<QFile> file; // raw bytes read from here instead
            qint64 size = 0; // bytes before encoding
            bool base64 = false;
        };
        void addParts(const QList<MimeEntity> &parts, const QString &boundary, QByteArray &text);
        void addText(const QByteArray &bytes);
        void addBase64(const MimeContent &content);
        QByteArray wholeContent(const MimeContent &content);
        const char *rawBytes(Segment &s, qint64 count);
        bool readBase64(Segment &s, QByteArray &out, qint64 maxBytes);
        bool fileEndsHere(Segment &s);
        bool fail(const QString &path, const QString &reason);

        std::vector<Segment> m_segments;
        std::size_t m_segment = 0;
        qint64 m_offset = 0;
        qint64 m_size = 0;
        QByteArray m_raw; // the file bytes of the lines being encoded
        QString m_error;
    };

    Stream stream() const;

    // The whole message at once (tests and the benchmark's reference copy).
    QByteArray render() const;

    static QByteArray headerLine(const QString &name, const QString &value);
    // Whether a header line folds at its blanks into lines of at most 998
    // octets; one that does not cannot be sent as it stands.
    static bool foldsWithinLimit(const QString &line);
    // The Subject field: folded plain text where that keeps every line
    // within 998 octets, else RFC 2047 encoded words.
    static QByteArray subjectLine(const QString &subject);
    static QByteArray encodedWords(const QString &text);
    static qint64 base64Size(qint64 rawBytes);
    static QByteArray toCrLfText(const QByteArray &text);
    static QByteArray dotStuffed(const QByteArray &crlfText);
};
