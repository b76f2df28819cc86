#pragma once

#include <QString>

// What a mail server's refusal of a message says. Providers refuse mail
// that carries a program (Gmail refuses any .exe, even inside a zip) with a
// 5xx reply whose enhanced status is 5.7.x, or with a text that names the
// attachment, a virus or a security policy.
class MailRefusal
{
public:
    // Whether the reply ("552 5.7.0 This message was blocked ...") refuses
    // the message for what it carries rather than for its size or a
    // passing fault.
    static bool RefusesContent(const QString &reply);
    // The reply as the user is shown it: one line, without the enhanced
    // status that a multi-line reply repeats on each of its lines.
    static QString Quoted(const QString &reply);
};
