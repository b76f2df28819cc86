#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <future>

#include "core/CubeFace.h"

class CubeModel;
class CubeRenderer;
class LeadImage;
class Pixlet;
class ProgressSink;

// The controls a build draws with: the editor's own, or those of the
// command-line tool.
struct CubeControls
{
    LeadImage &PrintImage; // the fold-out being composed
    LeadImage &PrintSource; // one face's print picture
    Pixlet &Pixlet1; // the thumbnail generator
};

// Builds a cube's web files in its work directory: the page from the
// template, the six face images and the printable fold-out.
class CubeBuilder
{
public:
    // The work directory, by absolute path.
    void setWorkDirectory(const QString &directory) { m_work = directory; }
    const QString &workDirectory() const { return m_work; }
    // The full path of a file in the work directory.
    QString InWorkDirectory(const QString &name) const;

    // Fills the work directory from the template directory and records the
    // files it then holds in gZipTargets.
    void PrepareWorkDirectory();

    // Refreshes the page (with the cube's caption), the web images of the
    // cube's changed faces and the fold-out in the work directory. False
    // when the work directory could not be made (the user has been told).
    bool BuildCubeFiles(CubeModel &cube, const CubeControls &controls, ProgressSink &progress);
    // The face indexes whose photos gave no picture in the last build (the
    // photo gone or damaged); their cells were left blank.
    const QList<int> &FacesWithoutPicture() const { return m_withoutPicture; }

    // Starts making the print pictures of the faces that have changed since
    // the last build, each on the decoders' pool; the build starts those not
    // started yet, and takes each in face order.
    void StartPrintPictures(const CubeModel &cube, const CubeControls &controls);

    // The "|"-joined full paths of the work directory's files after
    // PrepareWorkDirectory; the files a package carries.
    QString gZipTargets;

    // Copies every plain file of the template directory into the work
    // directory and gives the cube player its page name.
    void CopyTemplateFiles() const;
    static QStringList PlainFiles(const QString &dir);

    // The fold-out's six cells, numbered 1 to 6 from the top: cell 1 above
    // cell 3, cells 2, 3 and 4 in a row, cells 5 and 6 below cell 3. Folded
    // with cell 3 in front they are the top, left, front, right, bottom and
    // back. Each takes the face that the editor's cross puts there, turned
    // by FoldOutTurn degrees (clockwise) so that it stands upright on the
    // cube. The glue tabs sit on the edges named by FoldOutTabCell and
    // FoldOutTabEdge (t, l, r, b for top, left, right, bottom).
    // scripts/make-template draws the blank fold-out from these lines.
    static constexpr int FoldOutCell = 208;
    static constexpr int FoldOutLeft[6] = {245, 35, 245, 455, 245, 245};
    static constexpr int FoldOutTop[6] = {1, 210, 210, 210, 420, 629};
    static constexpr int FoldOutFace[6] = {4, 2, 3, 5, 6, 1};
    static constexpr int FoldOutTurn[6] = {0, 0, 0, 0, 0, 180};
    static constexpr int FoldOutTabCell[7] = {2, 4, 5, 5, 6, 6, 6};
    static constexpr char FoldOutTabEdge[8] = "ttlrlrb";
    // The cell (0 to 5) that shows face index faceIndex.
    static int FoldOutCellOf(int faceIndex);

    // Edge of the print-quality face picture: 60 mm at 300 pixels per inch.
    static constexpr int PrintQualityBox = FaceFraming::PrintEdge;

    // The sizes at which the page offers each face, for screens of one,
    // two and three pixels per point; the largest is the print picture.
    struct WebSize
    {
        qint16 edge;
        const char *suffix; // after "imageN" in the file's name
    };
    static constexpr WebSize WebSizes[3] = {{250, ""}, {500, "@2x"}, {PrintQualityBox, "@3x"}};
    // The file names of face index faceIndex's web images, smallest first.
    static QStringList WebImageNames(int faceIndex);
    // The most bytes of a face's largest picture: Cube.html carries six of
    // them and stays under 600 KB. A detailed photo is saved at a lower
    // JPEG quality to fit.
    static constexpr qsizetype LargestWebImageBytes = 68 * 1024;

    // The picture that a link to the page shows in messages and posts.
    static constexpr QSize LinkPreviewSize{1200, 630};

    // Writes the moving picture shown at the top of a mailed message: the
    // built cube turning, as a GIF small enough for mail. It is kept in a
    // folder of its own, out of the plain files a save copies; a build
    // removes it, as it no longer shows the cube. False when it could not
    // be written.
    bool WriteMessagePicture() const;
    static QString MessagePictureIn(const QString &workDirectory);
    // Removes the message's picture and its folder.
    static void RemoveMessagePicture(const QString &workDirectory);
    static constexpr int MessagePictureEdge = 400;

private:
    // A face as it is now: what it holds and, for a photo, the file's size
    // and time, so that a photo changed in place counts as another face.
    // The empty face stands for a photo that has gone.
    struct FaceStamp
    {
        CubeFace face;
        qint64 size = -1;
        QDateTime modified;

        bool isEmpty() const { return face.isEmpty(); }
        bool operator==(const FaceStamp &other) const = default;
    };

    // The print picture last made for a face, kept so that a build need not
    // decode a photo for a face that has not changed since.
    struct PrintMemo
    {
        FaceStamp stamp;
        QByteArray jpeg;
    };

    // A face's print picture, and the JPEG of it that the build writes.
    struct PrintPicture
    {
        QByteArray jpeg;
        QImage picture;
    };

    // The last fold-out and its PDF, with the faces they show.
    struct KeptFoldOut
    {
        FaceStamp faces[6];
        QByteArray jpeg;
        QByteArray pdf;
    };

    bool EnterWorkDirectory(ProgressSink &progress);
    void MakeFacesAndFoldOut(CubeModel &cube, const CubeControls &controls, ProgressSink &progress);
    bool FoldOutIsCurrent(const CubeModel &cube) const;
    void WriteKeptFoldOut(ProgressSink &progress);
    static FaceStamp StampOf(const CubeFace &face);
    void StartPrintPicture(int faceIndex, const FaceStamp &now, const CubeControls &controls);
    QImage MakePrintImage(const CubeFace &face, const CubeControls &controls, int faceIndex);
    void CopyTemplateFile(const QString &name) const;
    static PrintPicture Boxed(const Pixlet &pixlet, const CubeFace &face);
    static void SetBox(Pixlet &pixlet, qint16 box);
    void MakeWebImages(Pixlet &pixlet, const QImage &printPicture, int faceIndex) const;
    // The cube as the last build made its faces, from the smallest of their
    // web images that shows them sharp in a square of the given side.
    CubeRenderer BuiltCube(int side) const;
    void WriteLinkPreview() const;
    static void DrawOnFoldOut(const CubeControls &controls, int faceIndex, const QImage &picture);
    void WritePages(const CubeModel &cube) const;

    QString m_work;
    PrintMemo m_print[6];
    KeptFoldOut m_kept;
    // The print pictures being made, from the faces as they were when
    // started. The pool is our own: Qt's smooth scaling splits its work over
    // the global pool, and would wait there behind the decodes.
    QThreadPool m_decoders;
    FaceStamp m_printStarted[6];
    std::future<PrintPicture> m_printMade[6];
    QList<int> m_withoutPicture;
};
