#include "mail/MailRefusal.h"

#include <QRegularExpression>

namespace {

const QRegularExpression &enhancedStatus()
{
    static const QRegularExpression status(QStringLiteral("\\b[245]\\.\\d{1,3}\\.\\d{1,3}\\b"));
    return status;
}

} // namespace

bool MailRefusal::RefusesContent(const QString &reply)
{
    static const QRegularExpression permanent(QStringLiteral("^5\\d\\d\\b"));
    static const QRegularExpression policy(QStringLiteral("^5\\d\\d[ -]5\\.7\\.\\d{1,3}\\b"));
    static const QRegularExpression namesContent(
        QStringLiteral("attach|virus|malware|security|policy|executable|\\.exe\\b|prohibited|dangerous|unsafe"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = reply.trimmed();
    if (!permanent.match(text).hasMatch())
        return false;
    return policy.match(text).hasMatch() || namesContent.match(text).hasMatch();
}

QString MailRefusal::Quoted(const QString &reply)
{
    QString quoted = reply.simplified();
    const QRegularExpressionMatch first = enhancedStatus().match(quoted);
    if (!first.hasMatch())
        return quoted;
    const qsizetype rest = first.capturedEnd();
    QString tail = quoted.mid(rest);
    tail.replace(QRegularExpression(QStringLiteral("\\s[245]\\.\\d{1,3}\\.\\d{1,3}\\b")), QString());
    return (quoted.left(rest) + tail).simplified();
}
