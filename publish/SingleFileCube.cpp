#include "publish/SingleFileCube.h"

#include "core/AppPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {
// A reference to a plain file name: no scheme, no folder, no fragment.
const QRegularExpression kReference(QStringLiteral("\\b(src|href|data-src)=\"([^\"/\\\\:#?]+)\""));
const QRegularExpression kSourceSet(QStringLiteral(" srcset=\"([^\"]*)\""));
const QRegularExpression kSizes(QStringLiteral(" sizes=\"[^\"]*\""));
const QRegularExpression kSource(QStringLiteral("(?<![\\w-])src=\"[^\"]*\""));

// A picture offered at several sizes becomes its largest size alone: a
// single file cannot leave the choice to the browser without carrying all.
void LargestOnly(QString &line)
{
    const QRegularExpressionMatch set = kSourceSet.match(line);
    if (!set.hasMatch())
        return;
    QString largest;
    int widest = -1;
    for (const QString &candidate : set.captured(1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = candidate.simplified().split(QLatin1Char(' '));
        const int width = parts.value(1).chopped(parts.value(1).isEmpty() ? 0 : 1).toInt();
        if (width > widest) {
            widest = width;
            largest = parts.value(0);
        }
    }
    line.remove(set.capturedStart(), set.capturedLength());
    line.remove(kSizes);
    line.replace(kSource, QStringLiteral("src=\"%1\"").arg(largest));
}

QByteArray PictureType(const QString &name)
{
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return "image/jpeg";
    if (lower.endsWith(QLatin1String(".png")))
        return "image/png";
    return {};
}

// The line with its pictures inline; false when it refers to a file that
// cannot be inlined. carried: the pictures inlined so far; a picture to be
// fetched later (data-src) that is among them is left for the page's script
// to take from where it is carried.
bool InlineLine(QString &line, const QString &folder, QSet<QString> &carried)
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
        at = m.capturedEnd();
        if (m.captured(1) == QLatin1String("data-src") && carried.contains(name)) {
            if (out.endsWith(QLatin1Char(' ')))
                out.chop(1);
            continue;
        }
        carried << name;
        out += m.captured(1) + QLatin1String("=\"data:") + QString::fromLatin1(type) + QLatin1String(";base64,")
               + QString::fromLatin1(file.readAll().toBase64()) + QLatin1Char('"');
    }
    line = out + line.mid(at);
    return true;
}
} // namespace

QByteArray SingleFileCube::Make(const QByteArray &page, const QString &folder)
{
    QByteArray out;
    QSet<QString> carried;
    for (const QByteArray &raw : page.split('\n')) {
        QString line = QString::fromUtf8(raw);
        LargestOnly(line);
        if (line.trimmed().startsWith(QLatin1String("<noscript>")) || !InlineLine(line, folder, carried))
            continue;
        out += line.toUtf8() + '\n';
    }
    out.chop(1);
    return out;
}
