#pragma once

#include <QByteArray>
#include <QString>

// "Cube.html": the built page with every picture it shows inline, so that
// the one file plays the cube wherever it is opened. A line that refers to
// a file of the page's folder (src="NAME", href="NAME" or data-src="NAME")
// takes that file as a data URI when it is a picture; a line that refers to
// any other file, and a <noscript> line, is left out, so that the page asks
// for no other file. A picture offered at several sizes (srcset) is carried
// at its largest alone, and each picture once: a later data-src of a
// picture already carried is dropped.
class SingleFileCube
{
public:
    static QByteArray Make(const QByteArray &page, const QString &folder);
    static constexpr const char *FileName = "Cube.html";
};
