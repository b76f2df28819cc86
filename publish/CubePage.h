#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The cube's page from the template's lines. Each line ends in CR LF and
// three kinds of line are touched:
//  - "Caption goes here" becomes the caption as text in the page's heading,
//    or an empty line when the caption is empty;
//  - "<title>Vexilo</title>" and the link preview's title
//    "<meta property="og:title" content="Vexilo">" take the caption's first
//    line;
//  - "<html lang="en">" takes the page's language;
//  - "<script src="NAME"></script>" holds the script file NAME of the page's
//    folder inline, so that the page plays whatever type a web server gives
//    that file.
// A face's text "Photo N of 6" becomes the name of its photo file.
class CubePage
{
public:
    // faceTexts: one per face, empty where the face keeps "Photo N of 6".
    // scripts: the inline content for each script name. language: the
    // page's language tag ("en", "de-CH").
    static QByteArray Make(const QByteArray &templateText, const QString &caption, const QStringList &faceTexts,
                           const QHash<QString, QByteArray> &scripts, const QString &language);

    // Text with &, <, > and " written as character references.
    static QString Escaped(const QString &text);
    // The page's title: the caption's first line that is not blank, else "Vexilo".
    static QString Title(const QString &caption);

    static const QByteArray CaptionLine;
};
