#include "publish/SingleFileCube.h"

#include "core/AppPaths.h"

#include <QFile>
#include <QRegularExpression>

namespace {
// A reference to a plain file name: no scheme, no folder, no fragment.
const QRegularExpression kReference(QStringLiteral("\\b(src|href|data-src)=\"([^\"/\\\\:#?]+)\""));

QByteArray PictureType(const QString &name)
{
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return "image/jpeg";
    if (lower.endsWith(QLatin1String(".png")))
        return "image/png";
    return {};
}

// The line with its pictures inline; empty when it refers to a file that
// cannot be inlined.
bool InlineLine(QString &line, const QString &folder)
{
    QString out;
    qsizetype at = 0;
    for (const QRegularExpressionMatch &m : kReference.globalMatch(line)) {
        const QString name = m.captured(2);
        const QByteArray type = PictureType(name);
        QFile file(AppPaths::join(folder, name));
        if (type.isEmpty() || !file.open(QIODevice::ReadOnly))
            return false;
        out += line.mid(at, m.capturedStart() - at);
        out += m.captured(1) + QLatin1String("=\"data:") + QString::fromLatin1(type) + QLatin1String(";base64,")
               + QString::fromLatin1(file.readAll().toBase64()) + QLatin1Char('"');
        at = m.capturedEnd();
    }
    line = out + line.mid(at);
    return true;
}
} // namespace

QByteArray SingleFileCube::Make(const QByteArray &page, const QString &folder)
{
    QByteArray out;
    for (const QByteArray &raw : page.split('\n')) {
        QString line = QString::fromUtf8(raw);
        if (line.trimmed().startsWith(QLatin1String("<noscript>")) || !InlineLine(line, folder))
            continue;
        out += line.toUtf8() + '\n';
    }
    out.chop(1);
    return out;
}
