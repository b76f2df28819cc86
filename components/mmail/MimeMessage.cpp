#include "components/mmail/MimeMessage.h"

#include "components/mmail/AddressHeader.h"

namespace {

constexpr int kBase64LineBytes = 57; // 57 bytes make one 76-column line
constexpr int kFoldColumn = 78;

constexpr int kMaxLineOctets = 998;   // without the CR LF

// Breaks a header line before blanks so that lines stay within 78 columns
// where the text allows; unfolding gives the value back unchanged. A break
// goes only before the last blank of a run, so that no continuation line
// consists of blanks alone.
QByteArray folded(const QByteArray &line)
{
    QByteArray out;
    qsizetype lineStart = 0;
    qsizetype lastBlank = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == ' ' && i > 0 && i + 1 < line.size() && line.at(i + 1) != ' ')
            lastBlank = i;
        if (i - lineStart >= kFoldColumn && lastBlank > lineStart) {
            out += line.mid(lineStart, lastBlank - lineStart) + "\r\n";
            lineStart = lastBlank;
            lastBlank = -1;
        }
    }
    return out + line.mid(lineStart);
}

bool linesFit(const QByteArray &foldedLine)
{
    for (const QByteArray &line : foldedLine.split('\n'))
        if (line.size() - (line.endsWith('\r') ? 1 : 0) > kMaxLineOctets)
            return false;
    return true;
}

} // namespace

QByteArray MimeEntity::contentTypeLine() const
{
    QByteArray value = (type + QLatin1Char('/') + subType).toUtf8();
    if (!parameters.isEmpty())
        value += "; " + parameters.toUtf8();
    return value;
}

QByteArray MimeMessage::headerLine(const QString &name, const QString &value)
{
    QByteArray line = name.toUtf8() + ':';
    if (!value.isEmpty())
        line += ' ' + value.toUtf8();
    return folded(line) + "\r\n";
}

// Plain text when it folds into lines of at most 998 octets, else encoded
// words, which fold anywhere.
QByteArray MimeMessage::subjectLine(const QString &subject)
{
    if (subject.isEmpty())
        return "Subject:\r\n";
    if (IsPlainAscii(subject)) {
        const QByteArray plain = folded("Subject: " + subject.toUtf8());
        if (linesFit(plain))
            return plain + "\r\n";
    }
    return "Subject: " + encodedWords(subject) + "\r\n";
}

// RFC 2047 encoded words, each at most 75 characters, never splitting a
// character between two words.
QByteArray MimeMessage::encodedWords(const QString &text)
{
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, n).toUtf8();
        i += n - 1;
        if (chunk.size() + bytes.size() > 45) {
            words << chunk;
            chunk.clear();
        }
        chunk += bytes;
    }
    words << chunk;
    QByteArray out;
    for (const QByteArray &w : words) {
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + w.toBase64() + "?=";
    }
    return out;
}

qint64 MimeMessage::base64Size(qint64 rawBytes)
{
    const qint64 fullLines = rawBytes / kBase64LineBytes;
    const qint64 rest = rawBytes % kBase64LineBytes;
    return fullLines * 78 + (rest ? (rest + 2) / 3 * 4 + 2 : 0);
}

QByteArray MimeMessage::toCrLfText(const QByteArray &text)
{
    QByteArray lf = text;
    lf.replace("\r\n", "\n");
    lf.replace('\r', '\n');
    return lf.replace("\n", "\r\n");
}

// A line that begins with "." gets a second one, so that no line of the
// message can end the DATA phase early.
QByteArray MimeMessage::dotStuffed(const QByteArray &crlfText)
{
    QByteArray out = crlfText;
    if (out.startsWith('.'))
        out.prepend('.');
    return out.replace("\r\n.", "\r\n..");
}

MimeMessage::Stream MimeMessage::stream() const
{
    return Stream(*this);
}

MimeMessage::Stream::Stream(const MimeMessage &m)
{
    QByteArray head;
    head += headerLine(QStringLiteral("Date"), m.date);
    head += AddressHeaderLine(QStringLiteral("From"), m.from);
    head += AddressHeaderLine(QStringLiteral("To"), m.to);
    head += subjectLine(m.subject);
    for (const QString &line : m.extraHeaderLines)
        head += folded(line.toUtf8()) + "\r\n";
    head += folded("Content-Type: " + m.container.contentTypeLine()) + "\r\n";
    if (!m.messageId.isEmpty())
        head += headerLine(QStringLiteral("Message-ID"), m.messageId);
    head += "MIME-Version: 1.0\r\n";
    head += "\r\nThis is a multi-part message in MIME format.\r\n";

    const QByteArray delimiter = "--" + m.boundary.toUtf8();
    QByteArray text = head;
    for (const MimeEntity &part : m.parts) {
        text += delimiter + "\r\n";
        text += folded("Content-Type: " + part.contentTypeLine()) + "\r\n";
        if (!part.encoding.isEmpty())
            text += "Content-Transfer-Encoding: " + part.encoding.toUtf8() + "\r\n";
        if (!part.disposition.isEmpty())
            text += folded("Content-Disposition: " + part.disposition.toUtf8()) + "\r\n";
        text += "\r\n";
        if (part.encoding.compare(QLatin1String("base64"), Qt::CaseInsensitive) == 0) {
            // Base64 lines never begin with "." and each ends with CR LF.
            m_segments.append({dotStuffed(text), false});
            m_segments.append({part.content, true});
            text = QByteArray();
        } else {
            text += toCrLfText(part.content) + "\r\n";
        }
    }
    text += delimiter + "--\r\n";
    m_segments.append({dotStuffed(text), false});
    for (const Segment &s : m_segments)
        m_size += s.base64 ? base64Size(s.bytes.size()) : s.bytes.size();
}

QByteArray MimeMessage::Stream::read(qint64 maxBytes)
{
    QByteArray out;
    while (!atEnd() && out.size() < maxBytes) {
        const Segment &s = m_segments.at(m_segment);
        if (s.base64) {
            const qsizetype lines = qMax<qsizetype>(1, (maxBytes - out.size()) / 78);
            const qsizetype take = qMin<qsizetype>(lines * kBase64LineBytes, s.bytes.size() - m_offset);
            for (qsizetype at = m_offset; at < m_offset + take; at += kBase64LineBytes) {
                const qsizetype n = qMin<qsizetype>(kBase64LineBytes, m_offset + take - at);
                out += QByteArray::fromRawData(s.bytes.constData() + at, n).toBase64() + "\r\n";
            }
            m_offset += take;
        } else {
            const qsizetype take = qMin<qsizetype>(maxBytes - out.size(), s.bytes.size() - m_offset);
            out += s.bytes.mid(m_offset, take);
            m_offset += take;
        }
        if (m_offset >= s.bytes.size()) {
            ++m_segment;
            m_offset = 0;
        }
    }
    return out;
}

QByteArray MimeMessage::render() const
{
    Stream s = stream();
    return s.read(s.size());
}
