#include "shell/FrameMenu.h"

#include "core/MessageIds.h"
#include "core/Settings.h"
#include "editor/TopForm.h"
#include "photosource/PhotoFolderChoice.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QMainWindow>

FrameMenu::FrameMenu(QMainWindow *frame, TopForm *editor)
    : QMenuBar(frame)
    , m_frame(frame)
    , m_editor(editor)
{
    CubeActions *actions = editor->actions;
    FileMenu = addMenu(LoadResString(Msg::FileMenu));
    FileMenu->addActions({actions->NewCube, actions->OpenCube});
    RecentCubesMenu = FileMenu->addMenu(LoadResString(Msg::RecentCubes));
    FileMenu->addActions({actions->SaveCube, actions->SaveCubeAs});
    FileMenu->addSeparator();
    FileMenu->addAction(actions->ExportMovingPicture);
    FileMenu->addSeparator();
    OpenFolder = FileMenu->addAction(LoadResString(Msg::OpenPhotoFolder));
    connect(OpenFolder, &QAction::triggered, this, &FrameMenu::OpenFolder_Click);
    OpenFolder->setShortcut(QKeySequence::Open);
    RecentMenu = FileMenu->addMenu(LoadResString(Msg::OpenRecent));
    connect(FileMenu, &QMenu::aboutToShow, this, &FrameMenu::FillRecentMenus);
    FileMenu->addSeparator();
    Quit = FileMenu->addAction(LoadResString(Msg::QuitProgram));
    connect(Quit, &QAction::triggered, this, &FrameMenu::Quit_Click);
    Quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Quit->setMenuRole(QAction::QuitRole);

    CreateEditMenu();

    HelpMenu = addMenu(LoadResString(Msg::HelpMenu));
    VexiloHelp = HelpMenu->addAction(LoadResString(Msg::VexiloHelp));
    connect(VexiloHelp, &QAction::triggered, this, &FrameMenu::VexiloHelp_Click);
    VexiloHelp->setShortcut(QKeySequence::HelpContents);
    AboutVexilo = HelpMenu->addAction(LoadResString(Msg::AboutVexilo));
    connect(AboutVexilo, &QAction::triggered, this, &FrameMenu::AboutVexilo_Click);
    AboutVexilo->setMenuRole(QAction::AboutRole);
    FillRecentMenus();
}

void FrameMenu::CreateEditMenu()
{
    CubeActions *actions = m_editor->actions;
    EditMenu = addMenu(LoadResString(Msg::EditMenu));
    EditMenu->addActions({actions->Undo, actions->Redo});
    EditMenu->addSeparator();
    EditMenu->addActions({actions->Cut, actions->Copy, actions->Paste, actions->Remove});
    EditMenu->addSeparator();
    EditMenu->addActions({actions->TurnLeft, actions->TurnRight, actions->FillFace, actions->FitFace,
                          actions->BlurredBackdrop, actions->ResetFraming, actions->FramePhoto});
    EditMenu->addSeparator();
    EditMenu->addAction(actions->NewPhotosFill);
    EditMenu->addSeparator();
    EditMenu->addAction(actions->Insert);
    // Paste follows the clipboard, and the items their current captions.
    connect(EditMenu, &QMenu::aboutToShow, m_editor, &TopForm::PrepareContextMenu);
}

namespace {
// Numbered entries, one for each path, each running its index.
template<typename Handler>
void FillNumbered(QMenu *menu, const QStringList &paths, Handler handler)
{
    menu->clear();
    for (int i = 0; i < paths.size(); ++i) {
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(paths.at(i)));
        QObject::connect(menu->addAction(text), &QAction::triggered, menu, [handler, i] { handler(i); });
    }
    menu->setEnabled(!paths.isEmpty());
}
} // namespace

void FrameMenu::FillRecentMenus()
{
    FillNumbered(RecentMenu, PhotoFolderChoice::Recent(), [this](int i) { Recent_Click(i); });
    FillNumbered(RecentCubesMenu, Settings::recentCubes(), [this](int i) { RecentCube_Click(i); });
}

void FrameMenu::OpenFolder_Click()
{
    m_editor->OpenFolder_Click();
}

void FrameMenu::Recent_Click(int Index)
{
    const QStringList recent = PhotoFolderChoice::Recent();
    if (Index >= 0 && Index < recent.size())
        m_editor->OpenPhotoFolder(recent.at(Index));
}

void FrameMenu::RecentCube_Click(int Index)
{
    const QStringList recent = Settings::recentCubes();
    if (Index < 0 || Index >= recent.size())
        return;
    m_editor->AskToSaveChanges();
    m_editor->OpenCubeFile(recent.at(Index));
}

void FrameMenu::Quit_Click()
{
    m_frame->close();
}

// The help page opens as the editor's support link opens it.
void FrameMenu::VexiloHelp_Click()
{
    m_editor->Link_MouseDown();
}

void FrameMenu::AboutVexilo_Click()
{
    m_editor->About_Click();
}
