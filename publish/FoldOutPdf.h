#pragma once

#include <QImage>
#include <QString>

// "cubefold.pdf", the print-ready paper cube: one page that fits A4 and
// Letter with margins, the net of 60 mm faces in the fold-out's cells, cut
// lines solid and fold lines dashed as vector lines, glue tabs, and the
// folding directions in words beside the net's lower half.
class FoldOutPdf
{
public:
    static constexpr double PageWidthMm = 210.0; // A4's width
    static constexpr double PageHeightMm = 279.4; // Letter's height
    static constexpr double FaceMm = 60.0;

    // faces: the print-quality picture of each face index, upright; a null
    // picture leaves that face's cell blank but for its number. False when
    // the file could not be written completely.
    static bool Write(const QString &path, const QImage (&faces)[6]);
};
