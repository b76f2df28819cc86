#pragma once

#include <QByteArray>
#include <QStringList>

// Gathers SMTP replies from the bytes a server sends, however they are split:
// a reply is one or more lines "250-text" closed by a line "250 text" (or
// "250"), its code 200 to 599. Lines longer than MaxLineLength or replies of more than MaxLines
// lines are refused, so that a hostile peer cannot make us hoard memory.
class SmtpReplyReader
{
public:
    enum class Status {
        Incomplete,
        Complete,
        Malformed
    };
    static constexpr qsizetype MaxLineLength = 2048;
    static constexpr int MaxLines = 512;

    void append(const QByteArray &bytes) { m_buffer += bytes; }
    // Reads the next reply from the bytes received so far. After Complete,
    // code() and lines() describe it; bytes after it are kept for the next.
    Status next();

    int code() const { return m_code; }
    const QStringList &lines() const { return m_lines; }
    void clear();

private:
    QByteArray m_buffer;
    QStringList m_lines;
    int m_code = 0;
    bool m_complete = false;
};
