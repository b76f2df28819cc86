#include "components/mmail/SmtpReplyReader.h"

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

void SmtpReplyReader::clear()
{
    m_buffer.clear();
    m_lines.clear();
    m_code = 0;
    m_complete = false;
}

SmtpReplyReader::Status SmtpReplyReader::next()
{
    if (m_complete) {
        m_lines.clear();
        m_code = 0;
        m_complete = false;
    }
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0)
            return m_buffer.size() > MaxLineLength ? Status::Malformed : Status::Incomplete;
        if (end > MaxLineLength)
            return Status::Malformed;
        QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        // Reply codes begin with 2 to 5; anything else is not a reply.
        if (line.size() < 3 || line[0] < '2' || line[0] > '5' || !isDigit(line[1]) || !isDigit(line[2]))
            return Status::Malformed;
        const char separator = line.size() > 3 ? line.at(3) : ' ';
        if (separator != ' ' && separator != '-')
            return Status::Malformed;
        const int code = line.left(3).toInt();
        if (!m_lines.isEmpty() && code != m_code)
            return Status::Malformed;
        m_code = code;
        m_lines << QString::fromLatin1(line.mid(4));
        if (separator == ' ') {
            m_complete = true;
            return Status::Complete;
        }
        if (m_lines.size() >= MaxLines)
            return Status::Malformed;
    }
}
