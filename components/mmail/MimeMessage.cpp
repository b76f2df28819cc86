#include "components/mmail/MimeMessage.h"

#include "components/mmail/AddressHeader.h"

#include <QCoreApplication>
#include <QFile>

namespace {

constexpr int kBase64LineBytes = 57; // 57 bytes make one 76-column line
constexpr int kBase64LineOctets = 78; // with its CR LF
constexpr qint64 kComparePiece = 64 * 1024;
constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
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

char *putBase64Quad(char *out, quint32 triple)
{
    out[0] = kBase64Alphabet[triple >> 18];
    out[1] = kBase64Alphabet[(triple >> 12) & 63];
    out[2] = kBase64Alphabet[(triple >> 6) & 63];
    out[3] = kBase64Alphabet[triple & 63];
    return out + 4;
}

// Writes the base64 lines of count bytes at out, 57 bytes to a line of 76
// columns and its CR LF, the last line padded; out must have room for
// base64Size(count) octets.
void encodeBase64Lines(const char *raw, qint64 count, char *out)
{
    const auto *in = reinterpret_cast<const uchar *>(raw);
    while (count > 0) {
        const qint64 n = qMin<qint64>(count, kBase64LineBytes);
        qint64 i = 0;
        for (; i + 3 <= n; i += 3)
            out = putBase64Quad(out, quint32(in[i]) << 16 | quint32(in[i + 1]) << 8 | in[i + 2]);
        if (const qint64 rest = n - i) {
            const quint32 last = quint32(in[i]) << 16 | (rest == 2 ? quint32(in[i + 1]) << 8 : 0);
            out = putBase64Quad(out, last);
            out[-1] = '=';
            if (rest == 1)
                out[-2] = '=';
        }
        *out++ = '\r';
        *out++ = '\n';
        in += n;
        count -= n;
    }
}

QString changedSinceComposed()
{
    return QCoreApplication::translate("MimeMessage", "the file changed after the message was composed");
}

bool linesFit(const QByteArray &foldedLine)
{
    for (const QByteArray &line : foldedLine.split('\n'))
        if (line.size() - (line.endsWith('\r') ? 1 : 0) > kMaxLineOctets)
            return false;
    return true;
}

} // namespace

std::optional<MimeContent> MimeContent::fromFile(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    MimeContent content;
    content.m_path = path;
    content.m_fileSize = file.size();
    return content;
}

bool operator==(const MimeContent &content, const QByteArray &bytes)
{
    if (!content.isFile())
        return content.m_bytes == bytes;
    QFile file(content.m_path);
    if (content.m_fileSize != bytes.size() || !file.open(QIODevice::ReadOnly))
        return false;
    for (qint64 at = 0; at < bytes.size();) {
        const QByteArray piece = file.read(kComparePiece);
        if (piece.isEmpty() || at + piece.size() > bytes.size()
            || QByteArrayView(bytes).sliced(at, piece.size()) != piece)
            return false;
        at += piece.size();
    }
    return file.read(1).isEmpty();
}

QByteArray MimeEntity::contentTypeLine() const
{
    QByteArray value = (type + QLatin1Char('/') + subType).toUtf8();
    if (!parameters.isEmpty())
        value += "; " + parameters.toUtf8();
    return value;
}

bool MimeEntity::isMultipart() const
{
    return type.compare(QLatin1String("multipart"), Qt::CaseInsensitive) == 0;
}

QString MimeEntity::parameter(const QString &name) const
{
    for (const QString &p : parameters.split(QLatin1Char(';'))) {
        const QString item = p.trimmed();
        if (item.section(QLatin1Char('='), 0, 0).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            QString value = item.section(QLatin1Char('='), 1).trimmed();
            if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return QString();
}

bool MimeEntity::isBase64() const
{
    return encoding.compare(QLatin1String("base64"), Qt::CaseInsensitive) == 0;
}

QByteArray MimeMessage::headerLine(const QString &name, const QString &value)
{
    QByteArray line = name.toUtf8() + ':';
    if (!value.isEmpty())
        line += ' ' + value.toUtf8();
    return folded(line) + "\r\n";
}

bool MimeMessage::foldsWithinLimit(const QString &line)
{
    return linesFit(folded(line.toUtf8()));
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
    return fullLines * kBase64LineOctets + (rest ? (rest + 2) / 3 * 4 + 2 : 0);
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

    QByteArray text = head;
    addParts(m.parts, m.boundary, text);
    addText(dotStuffed(text));
    for (const Segment &s : m_segments)
        m_size += s.base64 ? base64Size(s.size) : s.size;
}

MimeMessage::Stream::~Stream() = default;

// The parts of a multipart entity, each after its delimiter line, a
// multipart part with its own parts inside it; text gathers the lines until
// a base64 part's file takes over.
void MimeMessage::Stream::addParts(const QList<MimeEntity> &parts, const QString &boundary, QByteArray &text)
{
    const QByteArray delimiter = "--" + boundary.toUtf8();
    for (const MimeEntity &part : parts) {
        text += delimiter + "\r\n";
        text += folded("Content-Type: " + part.contentTypeLine()) + "\r\n";
        if (!part.encoding.isEmpty())
            text += "Content-Transfer-Encoding: " + part.encoding.toUtf8() + "\r\n";
        if (!part.contentId.isEmpty())
            text += "Content-ID: " + part.contentId.toUtf8() + "\r\n";
        if (!part.disposition.isEmpty())
            text += folded("Content-Disposition: " + part.disposition.toUtf8()) + "\r\n";
        text += "\r\n";
        if (part.isMultipart()) {
            addParts(part.parts, part.parameter(QStringLiteral("boundary")), text);
        } else if (part.isBase64()) {
            // Base64 lines never begin with "." and each ends with CR LF.
            addText(dotStuffed(text));
            addBase64(part.content);
            text = QByteArray();
        } else {
            text += toCrLfText(wholeContent(part.content)) + "\r\n";
        }
    }
    text += delimiter + "--\r\n";
}

void MimeMessage::Stream::addText(const QByteArray &bytes)
{
    Segment s;
    s.bytes = bytes;
    s.size = bytes.size();
    m_segments.push_back(std::move(s));
}

// A file's bytes stay in the file until they are sent.
void MimeMessage::Stream::addBase64(const MimeContent &content)
{
    Segment s;
    s.base64 = true;
    s.size = content.size();
    if (content.isFile()) {
        s.file = std::make_unique<QFile>(content.filePath());
        if (!s.file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            fail(content.filePath(), s.file->errorString());
        else if (s.file->size() != s.size)
            fail(content.filePath(), changedSinceComposed());
    } else {
        s.bytes = content.bytes();
    }
    m_segments.push_back(std::move(s));
}

// A part sent as text is small: its file is read whole.
QByteArray MimeMessage::Stream::wholeContent(const MimeContent &content)
{
    if (!content.isFile())
        return content.bytes();
    QFile file(content.filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        fail(content.filePath(), file.errorString());
        return QByteArray();
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(content.filePath(), file.errorString());
    else if (bytes.size() != content.size())
        fail(content.filePath(), changedSinceComposed());
    return bytes;
}

bool MimeMessage::Stream::read(QByteArray &out, qint64 maxBytes)
{
    out.resize(0);
    while (!failed() && !atEnd() && out.size() < maxBytes) {
        Segment &s = m_segments[m_segment];
        if (s.base64) {
            if (!readBase64(s, out, maxBytes))
                return false;
        } else {
            const qint64 take = qMin<qint64>(maxBytes - out.size(), s.size - m_offset);
            out.append(s.bytes.constData() + m_offset, take);
            m_offset += take;
        }
        if (m_offset >= s.size) {
            if (s.file && !fileEndsHere(s))
                return false;
            ++m_segment;
            m_offset = 0;
        }
    }
    return !failed();
}

// Whole lines encoded straight into out, as many as reach maxBytes or just
// pass it.
bool MimeMessage::Stream::readBase64(Segment &s, QByteArray &out, qint64 maxBytes)
{
    const qint64 lines = (maxBytes - out.size() + kBase64LineOctets - 1) / kBase64LineOctets;
    const qint64 take = qMin<qint64>(lines * kBase64LineBytes, s.size - m_offset);
    const char *raw = rawBytes(s, take);
    if (!raw)
        return false;
    const qsizetype at = out.size();
    out.resize(at + base64Size(take));
    encodeBase64Lines(raw, take, out.data() + at);
    m_offset += take;
    return true;
}

const char *MimeMessage::Stream::rawBytes(Segment &s, qint64 count)
{
    if (!s.file)
        return s.bytes.constData() + m_offset;
    m_raw.resize(count);
    qint64 got = 0;
    while (got < count) {
        const qint64 n = s.file->read(m_raw.data() + got, count - got);
        if (n < 0) {
            fail(s.file->fileName(), s.file->errorString());
            return nullptr;
        }
        if (n == 0) {
            fail(s.file->fileName(),
                 QCoreApplication::translate("MimeMessage", "the file became shorter while it was sent"));
            return nullptr;
        }
        got += n;
    }
    return m_raw.constData();
}

bool MimeMessage::Stream::fileEndsHere(Segment &s)
{
    char extra;
    const qint64 n = s.file->read(&extra, 1);
    if (n < 0)
        return fail(s.file->fileName(), s.file->errorString());
    if (n > 0)
        return fail(s.file->fileName(),
                    QCoreApplication::translate("MimeMessage", "the file became longer while it was sent"));
    return true;
}

bool MimeMessage::Stream::fail(const QString &path, const QString &reason)
{
    if (m_error.isEmpty())
        m_error = path + QStringLiteral(": ") + reason;
    return false;
}

QByteArray MimeMessage::render() const
{
    Stream s = stream();
    QByteArray out;
    s.read(out, s.size());
    return out;
}
