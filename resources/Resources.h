#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <future>

// Registers the program's compiled-in pictures (artwork, button bitmaps).
// They live in a static library, so the program, the command-line tool and
// the tests each call this once at start.
void InitResources();

// A picture of the window artwork (":/artwork/NAME"): on a screen of twice
// the density its double-size twin NAME@2x, drawn at the same size with
// every device pixel its own.
QPixmap LoadArtwork(const QString &name);

// The artwork NAME as LoadArtwork gives it, read on a thread of its own
// while the caller goes on: for a large picture needed only later.
class ArtworkReading
{
public:
    explicit ArtworkReading(const QString &name);
    // Waits for the reading the first time.
    QPixmap picture();

private:
    QString m_file;
    std::future<QImage> m_image; // its end waits for the reading
    QPixmap m_picture;
};

// An icon of the artwork NAME, read as ArtworkReading reads it: drawing the
// icon the first time (a window's, when the window is first shown) waits
// for the reading.
QIcon ArtworkIcon(const QString &name);

// The picture in a file of one of the formats built into Qt (PNG, BMP),
// read by the format its name ends in.
QImage ReadPicture(const QString &file);

// The file of the artwork NAME (a file name with its ending) for a device
// pixel ratio: the @2x twin from a ratio of 1.5 on, where there is one.
QString ArtworkFile(const QString &folder, const QString &name, qreal devicePixelRatio);
