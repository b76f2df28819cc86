#pragma once

#include "components/imaging/LeadImage.h"
#include "components/pixlet/Pixlet.h"
#include "core/CubeModel.h"
#include "publish/CubeBuilder.h"
#include "publish/CubeSave.h"
#include "publish/CubeWorkFolder.h"

class ProgressSink;

// A cube built without the editor: a cube model of its own, with photo files
// on its faces, and a work directory of its own that goes when the object
// goes.
class CubeFromFaces
{
public:
    CubeFromFaces();

    // Face number 1 to 6. False when the number is out of range or the
    // file is not a picture that can be read; only its header is read here,
    // the build decodes it.
    bool SetFace(int number, const QString &photo);
    void SetCaption(const QString &caption) { m_cube.SetCaption(caption); }
    const QString &caption() const { return m_cube.Caption(); }
    CubeModel &cube() { return m_cube; }

    // Fills the work directory and builds the web files, and with package
    // "Cube.exe" beside them. False
    // (with the message shown) when either could not be made, and false
    // before packing when a face's photo could not be decoded.
    bool Build(ProgressSink &progress, bool package);
    // The number (1 to 6) of the first face whose photo the last build could
    // not decode; 0 when every face was made.
    int FaceWithoutPicture() const;
    // The moving picture for a mailed message, after a build.
    bool WriteMessagePicture() const { return builder.WriteMessagePicture(); }
    // Copies the work directory's plain files into dir, created with its
    // parents when missing, replacing the cube files there as a whole.
    CubeSave::Failure CopyTo(const QString &dir) const;

    QString workDirectory() const;
    bool isValid() const { return m_base.isValid(); }

private:
    CubeWorkFolder m_base;
    CubeModel m_cube;
    bool m_prepared = false;
    LeadImage PrintImage;
    LeadImage PrintSource;
    Pixlet Pixlet1;
    CubeBuilder builder;
};
