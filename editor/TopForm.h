#pragma once

#include "components/imaging/LeadImage.h"
#include "components/pixlet/Pixlet.h"
#include "core/CubeModel.h"
#include "core/Twips.h"
#include "editor/CubeActions.h"
#include "editor/CubeDocument.h"
#include "editor/FaceCommands.h"
#include "editor/FaceThumbnails.h"
#include "editor/FacePicture.h"
#include "editor/GrowingLayout.h"
#include "publish/BrowserLaunch.h"
#include "publish/CubeBuilder.h"
#include "resources/Resources.h"

#include <QBasicTimer>
#include <QUndoStack>
#include <QWidget>

#include <optional>

class FolderSource;
class QAction;
class QLabel;
class QMenu;
class QMimeData;
class QPlainTextEdit;

// The editor window: six faces in a cross, the photo browser, the caption
// box and the command buttons. Its designed size is its smallest; larger,
// the photo browser grows and the other controls keep their size.
class TopForm : public QWidget
{
    Q_OBJECT
public:
    explicit TopForm(QWidget *parent = nullptr);
    ~TopForm() override;

    void Form_Load();
    void Form_QueryUnload();
    void Form_Unload();

    // False when the buttons could not be created; the window is then unusable.
    bool ButtonsCreated() const;

    // The work directory, by absolute path: the builder's, and where face
    // thumbnails are made.
    void SetWorkDirectory(const QString &directory);
    const QString &WorkDirectory() const { return builder.workDirectory(); }

    void UpdateSelection(qint16 &OldIndex, qint16 &NewIndex, qint16 &ShowContextButton);
    void OpenCatalog(const QString &name);
    // Shows the folder's photos in the browser and remembers it as the one
    // chosen last.
    void OpenPhotoFolder(const QString &folder);

    // Handlers of the editor's controls.
    void Image1_MouseUp(int Index, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint pos);
    void Image1_Click(int Index);
    void Image1_KeyDown(int Index, FacePicture::KeyCommand Command);
    void ContextButton_Click(int Index);
    // Enables and captions the context menu's items for the current face.
    void PrepareContextMenu();
    void Remove_Click();
    void Cut_Click();
    void Copy_Click();
    void Paste_Click();
    void TurnLeft_Click();
    void TurnRight_Click();
    void FillFace_Click();
    void FitFace_Click();
    void BlurredBackdrop_Click();
    void ResetFraming_Click();
    void FramePhoto_Click();
    // Framing the current face where it is: a drag moves its photo, the
    // wheel or a pinch zooms it.
    void Image1_Drag(int Index, QPoint By, bool Finished);
    void Image1_Zoom(int Index, QPointF At, double Factor);
    void Image1_OLEDragDrop(int Index, const QMimeData *Data, qint32 &Effect);
    // A cube document dropped anywhere on the editor opens.
    void Form_OLEDragDrop(const QMimeData *Data);
    void Insert_Click();
    void Preview_Click();
    void Save_Click();
    void About_Click();
    void EMail_MouseDown();
    void Link_MouseDown();
    void OpenFolder_Click();
    // The cube documents.
    void NewCube_Click();
    void OpenCube_Click();
    void SaveCube_Click();
    void SaveCubeAs_Click();
    void ExportMovingPicture_Click();
    // Opens the cube document at path, telling the user of a document that
    // cannot be opened and of photos that have gone. True when opened.
    bool OpenCubeFile(const QString &path);
    // After a crash or a kill: offers the changes that were not saved.
    void OfferRecovery();
    // Closing with changes not saved asks whether to save them first; the
    // close goes on whatever the answer.
    void AskToSaveChanges();
    void RefreshFolder_Click();
    void SlideTray1_ContextMenu(QPoint pos);
    void SlideTray1_OLEDragDrop(const QMimeData *Data);
    void SlideTray1_Resize();
    void Form_Resize();

    // Controls, by their names on the form.
    QLabel *Back = nullptr;
    QLabel *Image3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *CatalogLabel = nullptr;
    QPlainTextEdit *Caption1 = nullptr;
    QWidget *SlideTray1 = nullptr;
    // Over the photo browser when the open folder shows no photos.
    QLabel *EmptyTrayNote = nullptr;
    FacePicture *Image1[12] = {};
    QLabel *SelectionBox[FaceCount] = {};
    FacePicture *ContextButton[FaceCount] = {};
    // Pressola buttons, created through their registered class.
    QWidget *Insert = nullptr;
    QWidget *Preview = nullptr;
    QWidget *Save = nullptr;
    QWidget *EMail = nullptr;
    QWidget *About = nullptr;
    QWidget *Link = nullptr;
    QMenu *ContextMenu = nullptr;
    // The context menu's items, the editor's actions.
    QAction *Remove = nullptr;
    QAction *Sep = nullptr;
    QAction *Cut = nullptr;
    QAction *Copy = nullptr;
    QAction *Paste = nullptr;
    // The photo browser's own menu.
    QMenu *TrayMenu = nullptr;
    QAction *OpenFolder = nullptr;
    QAction *RefreshFolder = nullptr;

    // The cube being made, and its changes as steps to undo.
    CubeModel cube;
    QUndoStack undoStack;

    // Imaging controls for the fold-out print image, and the thumbnail
    // generator of the web and print images.
    LeadImage PrintImage;
    LeadImage PrintSource;
    Pixlet Pixlet1;

    FaceThumbnails thumbnails;
    FaceCommands faceCommands{cube, undoStack, thumbnails, this};
    CubeActions *actions = nullptr;
    CubeDocument *document = nullptr;

    CubeBuilder builder;
    BrowserLaunch browser;
    quintptr paletteHandle = 0;
    // The photo folder shown when no Picture CD catalog is open.
    FolderSource *photoFolder = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    // A move or zoom of the current face's photo under way.
    struct FramingGesture
    {
        FaceFraming framing;
        QBasicTimer zoomRest;
    };
    // How long the wheel rests before its zooms become one step.
    static constexpr int ZoomRestMs = 400;
    bool BeginGesture(int index);
    void EndGesture(const FaceFraming &framing, int textId);

    void CreateControls();
    void CreateFaces();
    void CreateButtons();
    void TieControls();
    void CreateContextMenu();
    void ConnectCube();
    // Face index shows what the cube's face holds: its thumbnail, or its
    // placeholder when empty.
    void ShowFace(int index);
    void ShowCaption(const QString &caption);
    void Caption1_Change();
    void ConnectDocument();
    void ShowTitle();
    void TellGonePhotos(const QStringList &photos);
    bool IsCubeDocument(const QMimeData *data) const;
    void CreateTrayMenu();
    void OpenBrowserSource();
    void ShowPhotoFolder(const QString &folder);
    // The label above the browser: which folder or disc it shows, and how
    // many thumbnails are still being made.
    void ShowPhotoSource();
    void ShowEmptyTrayNote(bool shown);
    // The background and the browser's frame, drawn for the editor's size.
    void ShowArtwork();
    CubeControls Controls();
    void ConnectHandlers();
    void SetTabOrder();
    // Tells assistive technology that the faces' names and states changed.
    void AnnounceFaces();
    void Form_Activate();

    bool m_unloaded = false;
    GrowingLayout m_layout{QSize(TwipsToPixels(9588), TwipsToPixels(6816))};
    std::optional<FramingGesture> gesture;
    // The background and the photo browser's frame, read while the controls
    // are made and loaded.
    ArtworkReading m_backPicture{QStringLiteral("background.png")};
    ArtworkReading m_trayPicture{QStringLiteral("trayframe.png")};
};
