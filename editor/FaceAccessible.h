#pragma once

#include "core/CubeFace.h"

#include <QAccessibleWidget>

class FacePicture;

// What assistive technology sees of a face: a picture named after the face
// and what it holds ("Face 3, IMG0005.JPG"), selected while it is the
// current face, whose press action makes it current and whose menu action
// opens its context menu.
class FaceAccessible : public QAccessibleWidget
{
public:
    explicit FaceAccessible(FacePicture *face);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    // "Face N, " and the photo's file name, "empty" or "pasted picture".
    static QString FaceName(int index, const CubeFace &face);

    // Makes the keyboard faces answer with this interface.
    static void Install();

private:
    FacePicture *face() const;
};
