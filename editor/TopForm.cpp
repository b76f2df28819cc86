#include "editor/TopForm.h"

#include "core/CubeEdits.h"
#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Startup.h"
#include "core/StartupTrace.h"
#include "core/Twips.h"
#include "editor/AboutBox.h"
#include "editor/ControlSite.h"
#include "editor/FaceAccessible.h"
#include "editor/FacePicture.h"
#include "editor/FramingDialog.h"
#include "editor/GrownArtwork.h"
#include "editor/InsertCommand.h"
#include "editor/MovingPictureDialog.h"
#include "mail/MailCube.h"
#include "photosource/BrowserState.h"
#include "photosource/CatalogSearch.h"
#include "photosource/DiscPrompt.h"
#include "photosource/FolderSource.h"
#include "photosource/PhotoBrowser.h"
#include "photosource/PhotoFolderChoice.h"
#include "photosource/TBrowserLibrary.h"
#include "pressola/PressolaFactory.h"
#include "publish/CubeJob.h"
#include "publish/CubeSave.h"
#include "publish/MovingPictureJob.h"
#include "publish/SaveCube.h"
#include "resources/Resources.h"
#include "resources/StringTable.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMenu>
#include <QPlainTextEdit>
#include <QEventLoop>
#include <QProgressDialog>

namespace {

struct FaceLayout
{
    int left, top; // the face picture
    int frameLeft, frameTop; // its selection frame
    int buttonLeft, buttonTop; // its context button
};

// The cross: faces 0, 1, 2 and 4 in a row, face 3 above face 2, face 5 below.
constexpr FaceLayout kFaces[FaceCount] = {
    {4110, 3135, 4050, 3075, 4848, 3168}, {5445, 3135, 5385, 3075, 6180, 3168}, {6795, 3135, 6730, 3075, 7548, 3168},
    {6795, 1815, 6735, 1740, 7536, 1836}, {8130, 3135, 8070, 3075, 8868, 3168}, {6795, 4470, 6730, 4410, 7536, 4500},
};

QPixmap placeholderPicture(int faceIndex)
{
    return LoadArtwork(QStringLiteral("face%1.png").arg(faceIndex + 1));
}

} // namespace

TopForm::TopForm(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TopForm"));
    // Designed at its smallest size: larger, the photo browser takes the room.
    setMinimumSize(m_layout.Designed());
    resize(minimumSize());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    SetWorkDirectory(Startup::WorkDirectory());
    actions = new CubeActions(cube, undoStack, this);
    document = new CubeDocument(cube, undoStack, this);
    CreateControls();
}

void TopForm::SetWorkDirectory(const QString &directory)
{
    builder.setWorkDirectory(directory);
    thumbnails.setWorkDirectory(directory);
}

TopForm::~TopForm()
{
    if (!m_unloaded) {
        Form_QueryUnload();
        Form_Unload();
    }
}

void TopForm::CreateControls()
{
    Back = new QLabel(this);
    Back->setGeometry(TwipsRect(0, 0, 9600, 6810));

    Label4 = TwipsLabel(this, 225, 330, 3645, 255);
    CatalogLabel = TwipsLabel(this, 240, 345, 3645, 255);
    CatalogLabel->hide();
    Image3 = new QLabel(this);
    Image3->setGeometry(TwipsRect(180, 630, 3795, 5175));
    Image3->setScaledContents(true);
    SlideTray1 = new QWidget(this);
    SlideTray1->setObjectName(QStringLiteral("SlideTray1"));
    SlideTray1->setGeometry(TwipsRect(255, 690, 3615, 4995));
    SlideTray1->setAutoFillBackground(true);
    QPalette trayPalette = SlideTray1->palette();
    trayPalette.setColor(QPalette::Window, QColor(189, 190, 185));
    SlideTray1->setPalette(trayPalette);
    EmptyTrayNote = new QLabel(SlideTray1);
    EmptyTrayNote->setGeometry(SlideTray1->rect().adjusted(12, 12, -12, -12));
    EmptyTrayNote->setAlignment(Qt::AlignCenter);
    EmptyTrayNote->setWordWrap(true);
    EmptyTrayNote->setFont(QFont(QStringLiteral("Arial"), 9));
    // Right clicks and drops reach the tray below.
    EmptyTrayNote->setAttribute(Qt::WA_TransparentForMouseEvents);
    EmptyTrayNote->hide();

    Label3 = TwipsLabel(this, 4200, 345, 3975, 255);
    Caption1 = new QPlainTextEdit(this);
    Caption1->setGeometry(TwipsRect(4200, 600, 3975, 795));
    Caption1->setFont(QFont(QStringLiteral("Arial"), 9));
    // Tab moves on to the faces rather than typing a tab character.
    Caption1->setTabChangesFocus(true);
    Label1 = TwipsLabel(this, 4215, 1785, 2340, 1155);
    for (QLabel *label : {Label4, CatalogLabel, Label3, Label1})
        label->setFont(QFont(QStringLiteral("Arial"), 9));

    CreateFaces();
    CreateButtons();
    TieControls();
    CreateContextMenu();
    CreateTrayMenu();
    ConnectHandlers();
    ConnectCube();
    ConnectDocument();
}

void TopForm::ConnectDocument()
{
    connect(actions->NewCube, &QAction::triggered, this, &TopForm::NewCube_Click);
    connect(actions->OpenCube, &QAction::triggered, this, &TopForm::OpenCube_Click);
    connect(actions->SaveCube, &QAction::triggered, this, &TopForm::SaveCube_Click);
    connect(actions->SaveCubeAs, &QAction::triggered, this, &TopForm::SaveCubeAs_Click);
    connect(actions->ExportMovingPicture, &QAction::triggered, this, &TopForm::ExportMovingPicture_Click);
    connect(document, &CubeDocument::titleChanged, this, &TopForm::ShowTitle);
    // The keys work in the editor as well as through the frame's menus.
    addActions({actions->Undo, actions->Redo, actions->NewCube, actions->OpenCube, actions->SaveCube,
                actions->SaveCubeAs, actions->ExportMovingPicture, actions->TurnLeft, actions->TurnRight, actions->FillFace, actions->FitFace,
                actions->BlurredBackdrop, actions->ResetFraming, actions->FramePhoto});
    ShowTitle();
}

void TopForm::ShowTitle()
{
    setWindowTitle(document->DisplayName() + QStringLiteral("[*]"));
    setWindowModified(document->IsModified());
}

void TopForm::ConnectCube()
{
    connect(&cube, &CubeModel::faceChanged, this, &TopForm::ShowFace);
    connect(&cube, &CubeModel::currentFaceChanged, this, [this](int oldIndex, int newIndex) {
        qint16 old = qint16(oldIndex), now = qint16(newIndex), noButton = False;
        UpdateSelection(old, now, noButton);
    });
    connect(&cube, &CubeModel::captionChanged, this, &TopForm::ShowCaption);
    connect(Caption1, &QPlainTextEdit::textChanged, this, &TopForm::Caption1_Change);
    // The caption's typing is undone with the cube's other steps.
    Caption1->setUndoRedoEnabled(false);
    Caption1->installEventFilter(this);
}

void TopForm::ShowFace(int index)
{
    const CubeFace &face = cube.Face(index);
    QString tip = LoadResString(Msg::FaceTip);
    if (face.isEmpty()) {
        Image1[index]->setPixmap(Image1[index + 6]->pixmap());
    } else {
        QImage thumbnail = thumbnails.Of(index, face);
        if (const int ppi = thumbnails.LowPrintPpi(face)) {
            thumbnail = FaceThumbnails::WithLowResolutionNote(thumbnail);
            tip += QLatin1Char('\n') + LoadResString(Msg::LowResolutionNote).arg(ppi);
        }
        Image1[index]->setPixmap(QPixmap::fromImage(thumbnail));
    }
    Image1[index]->setToolTip(tip);
    AnnounceFaces();
}

void TopForm::ShowCaption(const QString &caption)
{
    if (Caption1->toPlainText() != caption)
        Caption1->setPlainText(caption);
}

void TopForm::Caption1_Change()
{
    const QString text = Caption1->toPlainText();
    if (text != cube.Caption())
        undoStack.push(new CaptionEdit(cube, text, LoadResString(Msg::TypeCaptionStep)));
}

void TopForm::ConnectHandlers()
{
    for (int i = 0; i < FaceCount; ++i) {
        connect(Image1[i], &FacePicture::mouseUp, this, &TopForm::Image1_MouseUp);
        connect(Image1[i], &FacePicture::clicked, this, &TopForm::Image1_Click);
        connect(Image1[i], &FacePicture::dragged, this, &TopForm::Image1_Drag);
        connect(Image1[i], &FacePicture::zoomed, this, &TopForm::Image1_Zoom);
        connect(Image1[i], &FacePicture::keyCommand, this, &TopForm::Image1_KeyDown);
        connect(ContextButton[i], &FacePicture::clicked, this, &TopForm::ContextButton_Click);
        Image1[i]->setAcceptDrops(true);
        connect(Image1[i], &FacePicture::oleDragDrop, this, &TopForm::Image1_OLEDragDrop);
        Image1[i]->setCube(&cube);
    }
    // Only the face pictures take dropped photos; the editor takes cube
    // documents anywhere.
    Caption1->setAcceptDrops(false);
    setAcceptDrops(true);
    connect(actions->Remove, &QAction::triggered, this, &TopForm::Remove_Click);
    connect(actions->Cut, &QAction::triggered, this, &TopForm::Cut_Click);
    connect(actions->Copy, &QAction::triggered, this, &TopForm::Copy_Click);
    connect(actions->Paste, &QAction::triggered, this, &TopForm::Paste_Click);
    connect(actions->TurnLeft, &QAction::triggered, this, &TopForm::TurnLeft_Click);
    connect(actions->TurnRight, &QAction::triggered, this, &TopForm::TurnRight_Click);
    connect(actions->FillFace, &QAction::triggered, this, &TopForm::FillFace_Click);
    connect(actions->FitFace, &QAction::triggered, this, &TopForm::FitFace_Click);
    connect(actions->BlurredBackdrop, &QAction::triggered, this, &TopForm::BlurredBackdrop_Click);
    connect(actions->ResetFraming, &QAction::triggered, this, &TopForm::ResetFraming_Click);
    connect(actions->FramePhoto, &QAction::triggered, this, &TopForm::FramePhoto_Click);
    connect(actions->Insert, &QAction::triggered, this, &TopForm::Insert_Click);
    connect(actions->Preview, &QAction::triggered, this, &TopForm::Preview_Click);
    connect(actions->Save, &QAction::triggered, this, &TopForm::Save_Click);
    connect(actions->Send, &QAction::triggered, this, &TopForm::EMail_MouseDown);
    // The buttons run the actions, and are enabled with them.
    const QList<std::pair<QWidget *, QAction *>> buttons = {
        {Insert, actions->Insert}, {Preview, actions->Preview}, {Save, actions->Save}, {EMail, actions->Send}};
    for (const auto &[button, action] : buttons)
        connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    ControlSite::OnEvent(Insert, SIGNAL(Click()), [this] { actions->Insert->trigger(); });
    ControlSite::OnEvent(Preview, SIGNAL(Click()), [this] { actions->Preview->trigger(); });
    ControlSite::OnEvent(Save, SIGNAL(Click()), [this] { actions->Save->trigger(); });
    ControlSite::OnEvent(About, SIGNAL(Click()), [this] { About_Click(); });
    ControlSite::OnEvent(EMail, SIGNAL(MouseDown(short, short, int, int)), [this] { actions->Send->trigger(); });
    ControlSite::OnEvent(Link, SIGNAL(MouseDown(short, short, int, int)), [this] { Link_MouseDown(); });
}

void TopForm::CreateFaces()
{
    FaceAccessible::Install();
    for (int i = 0; i < FaceCount; ++i) {
        const FaceLayout &f = kFaces[i];
        SelectionBox[i] = new QLabel(this);
        SelectionBox[i]->setGeometry(TwipsRect(f.frameLeft, f.frameTop, 1275, 1275));
        SelectionBox[i]->setPixmap(LoadArtwork(QStringLiteral("selection.png")));
        SelectionBox[i]->setScaledContents(true);
        SelectionBox[i]->hide();

        Image1[i] = new FacePicture(i, this);
        Image1[i]->setGeometry(TwipsRect(f.left, f.top, 1155, 1155));
        Image1[i]->setAlignment(Qt::AlignCenter);
        Image1[i]->setPixmap(placeholderPicture(i));
        Image1[i]->MakeKeyboardFace();

        Image1[i + 6] = new FacePicture(i + 6, this);
        Image1[i + 6]->setPixmap(placeholderPicture(i));
        Image1[i + 6]->hide();

        ContextButton[i] = new FacePicture(i, this);
        ContextButton[i]->setGeometry(TwipsRect(f.buttonLeft, f.buttonTop, 312, 312));
        ContextButton[i]->setPixmap(LoadArtwork(QStringLiteral("context.png")));
        ContextButton[i]->setScaledContents(true);
        ContextButton[i]->setCursor(Qt::PointingHandCursor);
        ContextButton[i]->hide();
    }
}

void TopForm::CreateButtons()
{
    // Each button is initialised from its property block stored with the window.
    auto make = [this](const char *name, int l, int t, int w, int h) {
        QWidget *button = ControlSite::CreateStoredControl(
            QLatin1String(Pressola::ControlProgId), QStringLiteral(":/forms/TopForm/%1.frx").arg(QLatin1String(name)),
            TwipsRect(l, t, w, h), this);
        if (button)
            button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    Insert = make("Insert", 2325, 5850, 1575, 360);
    Preview = make("Preview", 4230, 6120, 1650, 435);
    EMail = make("EMail", 5925, 6120, 1650, 435);
    Save = make("Save", 7635, 6120, 1650, 435);
    About = make("About", 135, 5900, 1875, 300);
    Link = make("Link", 135, 6270, 3750, 300);
}

void TopForm::TieControls()
{
    using L = GrowingLayout;
    // The photo browser takes the room; what lies right of it moves with the
    // right edge, what lies below it with the bottom edge.
    for (QWidget *grows : std::initializer_list<QWidget *>{Back, Image3, SlideTray1})
        m_layout.Add(grows, L::Left | L::Right | L::Top | L::Bottom);
    for (QWidget *heading : {Label4, CatalogLabel})
        m_layout.Add(heading, L::Left | L::Right | L::Top);
    QList<QWidget *> right = {Label3, Caption1, Label1};
    for (int i = 0; i < FaceCount; ++i)
        right << SelectionBox[i] << Image1[i] << ContextButton[i];
    for (QWidget *control : right)
        m_layout.Add(control, L::Right | L::Top);
    for (QWidget *button : {Insert, Preview, EMail, Save})
        if (button)
            m_layout.Add(button, L::Right | L::Bottom);
    for (QWidget *button : {About, Link})
        if (button)
            m_layout.Add(button, L::Left | L::Bottom);
}

bool TopForm::ButtonsCreated() const
{
    return Insert && Preview && EMail && Save && About && Link;
}

void TopForm::CreateContextMenu()
{
    ContextMenu = new QMenu(this);
    Remove = actions->Remove;
    Cut = actions->Cut;
    Copy = actions->Copy;
    Paste = actions->Paste;
    ContextMenu->addAction(Remove);
    Sep = ContextMenu->addSeparator();
    ContextMenu->addActions({Cut, Copy, Paste});
    ContextMenu->addSeparator();
    ContextMenu->addActions({actions->TurnLeft, actions->TurnRight, actions->FillFace, actions->FitFace,
                             actions->BlurredBackdrop, actions->ResetFraming, actions->FramePhoto});
}

void TopForm::CreateTrayMenu()
{
    TrayMenu = new QMenu(this);
    OpenFolder = TrayMenu->addAction(QString());
    RefreshFolder = TrayMenu->addAction(QString());
    connect(OpenFolder, &QAction::triggered, this, &TopForm::OpenFolder_Click);
    connect(RefreshFolder, &QAction::triggered, this, &TopForm::RefreshFolder_Click);
    SlideTray1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SlideTray1, &QWidget::customContextMenuRequested, this, &TopForm::SlideTray1_ContextMenu);
    SlideTray1->setAcceptDrops(true);
    SlideTray1->installEventFilter(this);
}

void TopForm::Form_Load()
{
    Label1->setText(LoadResString(Msg::FaceDirections));
    Label3->setText(LoadResString(Msg::EnterCaption));
    Label4->setText(LoadResString(Msg::YourPhotos));

    Insert->setProperty("Caption", LoadResString(Msg::InsertCaption));
    Preview->setProperty("Caption", LoadResString(Msg::PreviewCaption));
    Save->setProperty("Caption", LoadResString(Msg::SaveCaption));
    EMail->setProperty("Caption", LoadResString(Msg::SendCaption));
    About->setProperty("TextJustify", 0);
    About->setProperty("Caption", LoadResString(Msg::AboutCaption));
    Link->setProperty("TextJustify", 0);
    Link->setProperty("Caption", LoadResString(Msg::SupportLinkCaption));

    Caption1->setToolTip(LoadResString(Msg::CaptionTip));
    for (int i = 0; i < FaceCount; ++i)
        Image1[i]->setToolTip(LoadResString(Msg::FaceTip));
    Insert->setToolTip(LoadResString(Msg::InsertTip));
    Preview->setToolTip(LoadResString(Msg::PreviewTip));
    Save->setToolTip(LoadResString(Msg::SaveTip));
    EMail->setToolTip(LoadResString(Msg::SendTip));
    SlideTray1->setToolTip(LoadResString(Msg::PhotosTip));

    // No palette library on this platform: the handle stays 0.
    paletteHandle = 0;

    SetBrowserHost({this, [this] { return CatalogLabel->text(); }, [this] {
                        actions->Insert->setEnabled(true);
                        Insert->setEnabled(true);
                    },
                    [this](const QString &path) { InsertCommand(cube, faceCommands, this).PutOnCurrentFace(path); },
                    {}});
    OpenBrowserSource();
    StartupTrace::Mark("photo browser opened");

    cube.Clear();
    undoStack.clear();
    builder.PrepareWorkDirectory();
    StartupTrace::Mark("work directory prepared");

    qint16 first = 0;
    qint16 noButton = False;
    UpdateSelection(first, first, noButton);

    Pixlet1.setBackColor(Qt::white);
    Pixlet1.setMember11(64);
    SetTabOrder();
    ShowArtwork();
}

void TopForm::ShowArtwork()
{
    Back->setPixmap(GrownArtwork::Background(m_backPicture.picture(), m_layout.Extra(size())));
    Image3->setPixmap(GrownArtwork::Frame(m_trayPicture.picture(), Image3->size()));
}

void TopForm::Form_Resize()
{
    m_layout.Arrange(size());
    ShowArtwork();
    // The heading above the browser shortens its text to its width.
    ShowPhotoSource();
}

// The thumbnail window fills the tray, as it was opened to, and lays its
// thumbnails out again in the room it now has.
void TopForm::SlideTray1_Resize()
{
    const QRect room = SlideTray1->rect();
    for (QWidget *window : SlideTray1->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (window != EmptyTrayNote)
            window->setGeometry(room);
    EmptyTrayNote->setGeometry(room.adjusted(12, 12, -12, -12));
    gBrowserRect = {0, 0, room.width(), room.height()};
}

void TopForm::OpenBrowserSource()
{
    const QString catalog = FindCatalog();
    if (!catalog.isEmpty())
        CatalogLabel->setText(catalog);
    gBrowserReady = False;
    // Without the thumbnail library the photo browser stays empty.
    if (!TBrowserLibrary::Load())
        return;
    Tb().TbInitialize(0, 0, this);
    photoFolder = new FolderSource(SlideTray1, paletteHandle);
    photoFolder->setParent(this);
    connect(photoFolder, &FolderSource::progress, this, [this] { ShowPhotoSource(); });
    connect(photoFolder, &FolderSource::opened, this, [this] {
        ShowPhotoSource();
        SetTabOrder();
    });
    if (!catalog.isEmpty()) {
        gBrowserReady = True;
        OpenCatalog(CatalogLabel->text());
        ShowPhotoSource();
    } else {
        ShowPhotoFolder(PhotoFolderChoice::Folder());
    }
}

void TopForm::OpenPhotoFolder(const QString &folder)
{
    if (!photoFolder)
        return;
    PhotoFolderChoice::Remember(folder);
    ShowPhotoFolder(folder);
}

void TopForm::ShowPhotoFolder(const QString &folder)
{
    CatalogLabel->clear();
    SetPhotoGoneHandler([this](const QString &path) { photoFolder->DropGonePhoto(path); });
    photoFolder->Open(folder);
    ShowPhotoSource();
}

namespace {
// What the open folder leaves out, and why; empty when nothing is.
QString LeftOut(const FolderSource &folder)
{
    QStringList notes;
    if (folder.unreadable() > 0)
        notes << (folder.unreadable() == 1
                      ? LoadResString(Msg::OnePhotoUnreadable)
                      : MessageText(Msg::PhotosUnreadable, {QString::number(folder.unreadable())}));
    if (folder.skippedFolders() > 0)
        notes << (folder.skippedFolders() == 1
                      ? LoadResString(Msg::OneFolderUnreadable)
                      : MessageText(Msg::FoldersUnreadable, {QString::number(folder.skippedFolders())}));
    return notes.join(QStringLiteral("  "));
}
} // namespace

void TopForm::ShowPhotoSource()
{
    QString text = LoadResString(Msg::YourPhotos);
    QString source;
    QString leftOut;
    const bool folderShown = CatalogLabel->text().isEmpty() && photoFolder && !photoFolder->folder().isEmpty();
    if (!CatalogLabel->text().isEmpty()) {
        source = LoadResString(Msg::PictureCd).arg(DiscLine(CatalogLabel->text()));
    } else if (folderShown) {
        source = QDir::toNativeSeparators(photoFolder->folder());
        const int made = photoFolder->made(), missing = photoFolder->missing();
        if (made < missing)
            source = MessageText(Msg::ThumbnailsMade, {source, QString::number(made), QString::number(missing)});
        leftOut = LeftOut(*photoFolder);
    }
    // The line is short: what was left out takes the place of the folder's
    // path, which the tip still names.
    const QString shown = leftOut.isEmpty() ? source : leftOut;
    if (!shown.isEmpty())
        text += QLatin1Char(' ') + shown;
    Label4->setToolTip(leftOut.isEmpty() ? source : source + QStringLiteral("  ") + leftOut);
    Label4->setText(Label4->fontMetrics().elidedText(text, leftOut.isEmpty() ? Qt::ElideMiddle : Qt::ElideRight,
                                                     Label4->width()));
    ShowEmptyTrayNote(folderShown && gBrowserWindow != 0 && photoFolder->photoCount() == 0);
}

void TopForm::ShowEmptyTrayNote(bool shown)
{
    EmptyTrayNote->setText(LoadResString(Msg::NoPhotosInFolder));
    EmptyTrayNote->setVisible(shown);
    // The browser's window is made after the note, and would cover it.
    EmptyTrayNote->raise();
}

void TopForm::OpenFolder_Click()
{
    QFileDialog chooser(this, LoadResString(Msg::OpenPhotoFolderTitle),
                        photoFolder ? photoFolder->folder() : PhotoFolderChoice::Folder());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    if (ShowModal(chooser) == QDialog::Accepted && !chooser.selectedFiles().isEmpty())
        OpenPhotoFolder(chooser.selectedFiles().constFirst());
}

void TopForm::RefreshFolder_Click()
{
    if (photoFolder && CatalogLabel->text().isEmpty())
        photoFolder->Refresh();
}

void TopForm::SlideTray1_ContextMenu(QPoint pos)
{
    OpenFolder->setText(LoadResString(Msg::OpenPhotoFolder));
    RefreshFolder->setText(LoadResString(Msg::RefreshPhotos));
    OpenFolder->setEnabled(photoFolder != nullptr);
    RefreshFolder->setEnabled(photoFolder && CatalogLabel->text().isEmpty());
    TrayMenu->popup(SlideTray1->mapToGlobal(pos));
}

void TopForm::SlideTray1_OLEDragDrop(const QMimeData *Data)
{
    const QString folder = PhotoFolderChoice::DroppedFolder(Data);
    if (!folder.isEmpty())
        OpenPhotoFolder(folder);
}

bool TopForm::eventFilter(QObject *watched, QEvent *event)
{
    // The caption box leaves undo and redo to the cube's steps.
    if (watched == Caption1 && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        for (QAction *action : {actions->Undo, actions->Redo})
            if (action->shortcuts().contains(QKeySequence(key->keyCombination()))) {
                event->ignore();
                return true;
            }
    }
    if (watched != SlideTray1)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Resize)
        SlideTray1_Resize();
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!PhotoFolderChoice::DroppedFolder(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        SlideTray1_OLEDragDrop(drop->mimeData());
        drop->acceptProposedAction();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TopForm::SetTabOrder()
{
    // The photo browser's thumbnails come first when a catalog is open.
    QWidget *photos = nullptr;
    for (QWidget *child : SlideTray1->findChildren<QWidget *>())
        if (!photos && child->focusPolicy() & Qt::TabFocus)
            photos = child;
    QList<QWidget *> order;
    if (photos)
        order << photos;
    order << Caption1;
    for (int i = 0; i < FaceCount; ++i)
        order << Image1[i];
    order << Insert << Preview << EMail << Save << About << Link;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TopForm::AnnounceFaces()
{
    for (int i = 0; i < FaceCount; ++i) {
        QAccessibleEvent nameChanged(Image1[i], QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
        QAccessible::State selection;
        selection.selected = true;
        QAccessibleStateChangeEvent stateChanged(Image1[i], selection);
        QAccessible::updateAccessibility(&stateChanged);
    }
}

void TopForm::Form_Activate()
{
    update();
}

void TopForm::UpdateSelection(qint16 &OldIndex, qint16 &NewIndex, qint16 &ShowContextButton)
{
    if (OldIndex >= 0 && OldIndex <= 5)
        SelectionBox[OldIndex]->hide();
    if (NewIndex >= 0 && NewIndex <= 5)
        SelectionBox[NewIndex]->show();
    if (OldIndex >= 0 && OldIndex <= 5)
        ContextButton[OldIndex]->hide();
    if (ShowContextButton && NewIndex >= 0 && NewIndex <= 5)
        ContextButton[NewIndex]->show();
    AnnounceFaces();
}

void TopForm::OpenCatalog(const QString &name)
{
    OpenCatalogIn(name, SlideTray1, paletteHandle);
}

void TopForm::Form_QueryUnload()
{
    paletteHandle = 0;
    if (photoFolder)
        photoFolder->Stop();
    SetPhotoGoneHandler({});
    CloseBrowser();
}

void TopForm::Form_Unload()
{
    m_unloaded = true;
    // Without a work directory there is nothing to delete; an empty path
    // would name the current directory.
    const QString work = WorkDirectory();
    if (work.isEmpty())
        return;
    for (const QString &name : CubeBuilder::PlainFiles(work))
        QDir(work).remove(name);
    CubeBuilder::RemoveMessagePicture(work);
    QDir().rmdir(work);
}

void TopForm::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        AskToSaveChanges();
        CubeDocument::DiscardRecovery();
        Form_QueryUnload();
        Form_Unload();
    }
    event->accept();
}

void TopForm::Form_OLEDragDrop(const QMimeData *Data)
{
    AskToSaveChanges();
    OpenCubeFile(Data->urls().constFirst().toLocalFile());
}

void TopForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (IsCubeDocument(event->mimeData()))
        event->acceptProposedAction();
}

void TopForm::dropEvent(QDropEvent *event)
{
    if (!IsCubeDocument(event->mimeData()))
        return;
    event->acceptProposedAction();
    Form_OLEDragDrop(event->mimeData());
}

void TopForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void TopForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

void TopForm::Image1_MouseUp(int Index, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)
{
    qint16 old = qint16(cube.CurrentFace()), now = qint16(Index), showButton = True;
    faceCommands.SelectFace(Index);
    UpdateSelection(old, now, showButton);
}

void TopForm::Image1_Click(int Index)
{
    faceCommands.SelectFace(Index);
}

void TopForm::Image1_KeyDown(int Index, FacePicture::KeyCommand Command)
{
    using Key = FacePicture::KeyCommand;
    if (Command == Key::Left || Command == Key::Right || Command == Key::Up || Command == Key::Down) {
        Image1[FaceCommands::NeighbourFace(Index, Command)]->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Every other key acts on the focused face as a click there, then the
    // menu's item would.
    Image1_MouseUp(Index, Qt::LeftButton, Qt::NoModifier, {});
    if (Command == Key::Menu) {
        ContextButton_Click(Index);
        return;
    }
    if (Command == Key::Select)
        return;
    PrepareContextMenu();
    QAction *item = Command == Key::Remove ? Remove : Command == Key::Cut ? Cut : Command == Key::Copy ? Copy : Paste;
    if (item->isEnabled())
        item->trigger();
    else
        QApplication::beep();
}

void TopForm::PrepareContextMenu()
{
    Paste->setEnabled(faceCommands.CanPaste());
    actions->UpdateFaceActions();
    Remove->setText(LoadResString(Msg::RemoveCaption));
    Cut->setText(LoadResString(Msg::CutCaption));
    Copy->setText(LoadResString(Msg::CopyCaption));
    Paste->setText(LoadResString(Msg::PasteCaption));
}

void TopForm::ContextButton_Click(int Index)
{
    PrepareContextMenu();
    const QRect button = ContextButton[Index]->geometry();
    ContextMenu->popup(mapToGlobal(QPoint(button.left() + button.width(), button.top())));
}

void TopForm::Remove_Click()
{
    faceCommands.RemoveFace();
    ContextButton[cube.CurrentFace()]->hide();
}

void TopForm::Cut_Click()
{
    faceCommands.CutFace();
    ContextButton[cube.CurrentFace()]->hide();
}

void TopForm::Copy_Click()
{
    faceCommands.CopyFace();
}

void TopForm::Paste_Click()
{
    faceCommands.PasteFace();
}

bool TopForm::IsCubeDocument(const QMimeData *data) const
{
    return data && data->hasUrls() && !data->urls().isEmpty()
        && QFileInfo(data->urls().constFirst().toLocalFile()).suffix() == CubeFile::Suffix;
}

void TopForm::TurnLeft_Click()
{
    faceCommands.TurnFace(-90);
}

void TopForm::FillFace_Click()
{
    faceCommands.FillFace();
}

void TopForm::FitFace_Click()
{
    faceCommands.FitFace();
}

void TopForm::BlurredBackdrop_Click()
{
    faceCommands.SetBlurredBackdrop(actions->BlurredBackdrop->isChecked());
}

void TopForm::ResetFraming_Click()
{
    faceCommands.ResetFraming();
}

void TopForm::FramePhoto_Click()
{
    if (!faceCommands.TakeForFraming())
        return;
    const CubeFace &face = cube.Face(cube.CurrentFace());
    FramingDialog dialog(faceCommands.framer, face.framing(), faceCommands.NewPhotoFraming(face), this);
    if (dialog.exec() == QDialog::Accepted)
        faceCommands.FrameFace(dialog.framing(), Msg::FramePhotoStep);
}

// A drag on the current face moves its photo: each step is drawn from the
// framer's picture, and the drag's end is one step to undo.
void TopForm::Image1_Drag(int Index, QPoint By, bool Finished)
{
    if (Index != cube.CurrentFace() || cube.Face(Index).isEmpty())
        return;
    if (!gesture && !BeginGesture(Index))
        return;
    const FaceFraming moved = faceCommands.framer.Moved(gesture->framing, By, Image1[Index]->width());
    Image1[Index]->setPixmap(QPixmap::fromImage(faceCommands.framer.Picture(moved, Image1[Index]->width())));
    if (Finished)
        EndGesture(moved, Msg::MovePhotoStep);
}

// The wheel or a pinch on the current face zooms about the pointer; a run
// of zooms is one step, ended when the wheel rests.
void TopForm::Image1_Zoom(int Index, QPointF At, double Factor)
{
    if (Index != cube.CurrentFace() || cube.Face(Index).isEmpty())
        return;
    if (!gesture && !BeginGesture(Index))
        return;
    gesture->framing = faceCommands.framer.Zoomed(gesture->framing, Factor, At, Image1[Index]->width());
    Image1[Index]->setPixmap(QPixmap::fromImage(faceCommands.framer.Picture(gesture->framing, Image1[Index]->width())));
    gesture->zoomRest.start(ZoomRestMs, this);
}

bool TopForm::BeginGesture(int index)
{
    if (!faceCommands.TakeForFraming())
        return false;
    gesture.emplace();
    gesture->framing = cube.Face(index).framing();
    return true;
}

void TopForm::EndGesture(const FaceFraming &framing, int textId)
{
    gesture.reset();
    faceCommands.FrameFace(framing, textId);
}

void TopForm::timerEvent(QTimerEvent *event)
{
    if (gesture && event->timerId() == gesture->zoomRest.timerId())
        EndGesture(gesture->framing, Msg::ZoomPhotoStep);
}

void TopForm::TurnRight_Click()
{
    faceCommands.TurnFace(90);
}

void TopForm::Image1_OLEDragDrop(int Index, const QMimeData *Data, qint32 &Effect)
{
    if (IsCubeDocument(Data)) {
        Effect = 1;
        Form_OLEDragDrop(Data);
        return;
    }
    faceCommands.DropFiles(Index, Data, Effect);
    if (Effect == 1)
        ContextButton[Index]->hide();
}

void TopForm::Insert_Click()
{
    InsertCommand(cube, faceCommands, this).Insert();
}

CubeControls TopForm::Controls()
{
    return {PrintImage, PrintSource, Pixlet1};
}

void TopForm::Preview_Click()
{
    CubeJob job(builder, Controls(), this);
    ProgressSink &progress = job.progress();
    if (!job.BuildFiles(cube)) {
        job.EndBusyPointer();
        ShowMessage(Msg::UnableToCreateFiles);
    } else {
        progress.showStep(10);
        progress.showStatus(LoadResString(Msg::LaunchingBrowser));
        browser.LaunchBrowser(builder.InWorkDirectory(QStringLiteral("Vexilo.htm")),
                              BrowserLaunch::PageAddress(WorkDirectory()), true);
        job.EndBusyPointer();
    }
    progress.showStatus(LoadResString(Msg::Done));
}

void TopForm::Save_Click()
{
    SaveCube dialog(this);
    ShowModal(dialog);
    const QString saveDir = dialog.SaveDir();
    if (saveDir.isEmpty())
        return;
    repaint();
    CubeJob job(builder, Controls(), this);
    job.BuildFiles(cube);
    if (!job.Package())
        return;
    if (!CubeSave::ExistsOrCreate(saveDir)) {
        ShowMessage(Msg::UnableToCreateDirectory);
        return;
    }
    const CubeSave::Failure failure = CubeSave::CopyPlainFiles(WorkDirectory(), saveDir);
    if (failure.failed())
        ShowMessage(Msg::CubeNotSaved, {failure.path, failure.reason});
}

void TopForm::About_Click()
{
    // Loaded afresh each time: OK unloads it.
    AboutBox box(this);
    box.Form_Load();
    ShowModal(box);
}

void TopForm::EMail_MouseDown()
{
    bool packed = false;
    {
        CubeJob job(builder, Controls(), this);
        job.BuildFiles(cube);
        packed = job.Package();
        // Without its moving picture the message shows the cube still.
        if (packed)
            builder.WriteMessagePicture();
    }
    if (!packed)
        return;
    MailCube dialog(WorkDirectory(), this);
    dialog.caption = cube.Caption();
    ShowModal(dialog);
    setFocus();
}

void TopForm::Link_MouseDown()
{
    browser.LaunchBrowser(builder.InWorkDirectory(QStringLiteral("Vexilo.htm")), BrowserLaunch::SupportAddress(), true);
}

void TopForm::NewCube_Click()
{
    AskToSaveChanges();
    document->New();
}

void TopForm::OpenCube_Click()
{
    QFileDialog chooser(this, LoadResString(Msg::OpenCubeTitle), QFileInfo(document->Path()).path(),
                        LoadResString(Msg::CubeFileFilter));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    if (ShowModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    AskToSaveChanges();
    OpenCubeFile(chooser.selectedFiles().constFirst());
}

bool TopForm::OpenCubeFile(const QString &path)
{
    const CubeFile::Reading reading = document->Open(path);
    const QString name = QDir::toNativeSeparators(path);
    switch (reading.status) {
    case CubeFile::Status::Read:
        TellGonePhotos(reading.gonePhotos.values());
        return true;
    case CubeFile::Status::TooNew:
        ShowMessage(Msg::CubeTooNew, {name});
        return false;
    case CubeFile::Status::Unreadable:
    case CubeFile::Status::Damaged:
        ShowMessage(Msg::CubeDamaged, {name});
        return false;
    }
    return false;
}

void TopForm::TellGonePhotos(const QStringList &photos)
{
    for (const QString &photo : photos)
        ShowMessage(Msg::CubePhotoGone, {QDir::toNativeSeparators(photo)});
}

void TopForm::SaveCube_Click()
{
    if (document->Path().isEmpty()) {
        SaveCubeAs_Click();
        return;
    }
    QString reason;
    if (!document->SaveAs(document->Path(), &reason))
        ShowMessage(Msg::CubeNotWritten, {QDir::toNativeSeparators(document->Path()), reason});
}

void TopForm::SaveCubeAs_Click()
{
    QFileDialog chooser(this, LoadResString(Msg::SaveCubeTitle), document->Path(), LoadResString(Msg::CubeFileFilter));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(CubeFile::Suffix);
    if (ShowModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString path = chooser.selectedFiles().constFirst();
    QString reason;
    if (!document->SaveAs(path, &reason))
        ShowMessage(Msg::CubeNotWritten, {QDir::toNativeSeparators(path), reason});
}

void TopForm::ExportMovingPicture_Click()
{
    MovingPictureDialog choices(cube.Caption(), this);
    if (ShowModal(choices) != QDialog::Accepted)
        return;
    const MovingPicture::Options options = choices.options();
    const QString suggested = QFileInfo(document->Path()).completeBaseName();
    QFileDialog chooser(this, LoadResString(Msg::MovingPictureTitle),
                        suggested.isEmpty() ? QStringLiteral("Cube") : suggested, choices.fileFilter());
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(MovingPicture::Suffix(options.format));
    if (ShowModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString path = chooser.selectedFiles().constFirst();
    QProgressDialog progress(LoadResString(Msg::MakingMovingPicture), LoadResString(Msg::Cancel), 0,
                             MovingPicture::FrameCount(options), this);
    progress.setWindowTitle(LoadResString(Msg::MovingPictureTitle));
    progress.setMinimumDuration(0);
    progress.setWindowModality(Qt::WindowModal);
    MovingPictureJob job;
    connect(&job, &MovingPictureJob::progress, &progress, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
    });
    connect(&progress, &QProgressDialog::canceled, &job, &MovingPictureJob::Cancel);
    QEventLoop waiting;
    MovingPicture::Result result;
    connect(&job, &MovingPictureJob::finished, &waiting, [&](const MovingPicture::Result &outcome) {
        result = outcome;
        waiting.quit();
    });
    job.Start(cube.Content(), options, path);
    waiting.exec();
    progress.reset();
    if (!result.written && !result.cancelled)
        ShowMessage(Msg::MovingPictureNotWritten, {QDir::toNativeSeparators(path), result.error});
}

void TopForm::AskToSaveChanges()
{
    if (document->IsModified()
        && ShowMessage(Msg::SaveChangesQuestion, {document->DisplayName()}, MsgButtons::YesNo) == IDYES)
        SaveCube_Click();
}

void TopForm::OfferRecovery()
{
    if (!CubeDocument::HasRecovery())
        return;
    if (ShowMessage(Msg::RecoverCubeQuestion, MsgButtons::YesNo) != IDYES) {
        CubeDocument::DiscardRecovery();
        return;
    }
    const CubeFile::Reading reading = document->Recover();
    if (reading.status == CubeFile::Status::Read)
        TellGonePhotos(reading.gonePhotos.values());
    else
        CubeDocument::DiscardRecovery();
}
