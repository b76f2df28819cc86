#include "publish/CubePage.h"

#include <QHash>
#include <QRegularExpression>

const QByteArray CubePage::CaptionLine = QByteArrayLiteral("Caption goes here");

namespace {
const QByteArray kTitleLine = QByteArrayLiteral("<title>Vexilo</title>");
const QByteArray kPreviewTitleLine = QByteArrayLiteral("<meta property=\"og:title\" content=\"Vexilo\">");
const QByteArray kLanguageLine = QByteArrayLiteral("<html lang=\"en\">");
const QRegularExpression kScriptLine(QStringLiteral("^<script src=\"([^\"/\\\\:]+)\"></script>$"));

QList<QByteArray> Lines(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// The caption as the heading's text; its line breaks stay line breaks.
QByteArray Heading(const QString &caption)
{
    if (caption.isEmpty())
        return {};
    QString text = CubePage::Escaped(caption);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return "<h1 id=\"caption\">" + text.toUtf8() + "</h1>";
}

// A script inline; "</" inside it is written "<\/" so that nothing in the
// script can end its element.
QByteArray InlineScript(QByteArray script)
{
    script.replace("</", "<\\/");
    if (!script.endsWith('\n'))
        script += '\n';
    script.replace("\r\n", "\n").replace('\n', "\r\n");
    return "<script>\r\n" + script + "</script>";
}
} // namespace

QString CubePage::Escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString CubePage::Title(const QString &caption)
{
    for (const QString &line : caption.split(QRegularExpression(QStringLiteral("[\r\n]"))))
        if (!line.trimmed().isEmpty())
            return line.simplified();
    return QStringLiteral("Vexilo");
}

QByteArray CubePage::Make(const QByteArray &templateText, const QString &caption, const QStringList &faceTexts,
                          const QHash<QString, QByteArray> &scripts, const QString &language)
{
    QByteArray page;
    for (QByteArray line : Lines(templateText)) {
        if (line == CaptionLine) {
            line = Heading(caption);
        } else if (line == kTitleLine) {
            line = "<title>" + Escaped(Title(caption)).toUtf8() + "</title>";
        } else if (line == kPreviewTitleLine) {
            line = "<meta property=\"og:title\" content=\"" + Escaped(Title(caption)).toUtf8() + "\">";
        } else if (line == kLanguageLine && !language.isEmpty()) {
            line = "<html lang=\"" + Escaped(language).toUtf8() + "\">";
        } else if (const QRegularExpressionMatch m = kScriptLine.match(QString::fromUtf8(line));
                   m.hasMatch() && scripts.contains(m.captured(1))) {
            line = InlineScript(scripts.value(m.captured(1)));
        } else {
            for (int n = 1; n <= faceTexts.size(); ++n)
                if (!faceTexts.at(n - 1).isEmpty())
                    line.replace(QStringLiteral("alt=\"Photo %1 of 6\"").arg(n).toUtf8(),
                                 "alt=\"" + Escaped(faceTexts.at(n - 1)).toUtf8() + '"');
        }
        page += line + "\r\n";
    }
    return page;
}
