#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

// What a HEIF or AVIF file declares about its items, read from the boxes of
// its `meta` box alone: no picture data is touched. libheif parses every
// item and tile before it checks any size, in a time that grows with the
// square of their number, so a file is measured here first.
struct HeifContainer
{
    // Items listed in `iinf` or located in `iloc`, whichever is more.
    qint64 items = 0;
    // Item references of every kind (tiles, thumbnails, auxiliary pictures).
    qint64 references = 0;
    // The declared sizes (`ispe`) of all items, in pixels, added up.
    qint64 declaredPixels = 0;
    // The primary item's declared size; invalid when it declares none.
    QSize primarySize;

    // Null when the bytes hold no `meta` box whose boxes can be read.
    static std::optional<HeifContainer> Read(const QByteArray &data);
};
