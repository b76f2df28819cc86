#include "shell/FrameMenu.h"

#include "core/MessageIds.h"
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
    FileMenu = addMenu(LoadResString(Msg::FileMenu));
    OpenFolder = FileMenu->addAction(LoadResString(Msg::OpenPhotoFolder));
    connect(OpenFolder, &QAction::triggered, this, &FrameMenu::OpenFolder_Click);
    OpenFolder->setShortcut(QKeySequence::Open);
    RecentMenu = FileMenu->addMenu(LoadResString(Msg::OpenRecent));
    connect(FileMenu, &QMenu::aboutToShow, this, &FrameMenu::FillRecentMenu);
    FileMenu->addSeparator();
    Quit = FileMenu->addAction(LoadResString(Msg::QuitProgram));
    connect(Quit, &QAction::triggered, this, &FrameMenu::Quit_Click);
    Quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Quit->setMenuRole(QAction::QuitRole);

    HelpMenu = addMenu(LoadResString(Msg::HelpMenu));
    VexiloHelp = HelpMenu->addAction(LoadResString(Msg::VexiloHelp));
    connect(VexiloHelp, &QAction::triggered, this, &FrameMenu::VexiloHelp_Click);
    VexiloHelp->setShortcut(QKeySequence::HelpContents);
    AboutVexilo = HelpMenu->addAction(LoadResString(Msg::AboutVexilo));
    connect(AboutVexilo, &QAction::triggered, this, &FrameMenu::AboutVexilo_Click);
    AboutVexilo->setMenuRole(QAction::AboutRole);
    FillRecentMenu();
}

void FrameMenu::FillRecentMenu()
{
    RecentMenu->clear();
    const QStringList recent = PhotoFolderChoice::Recent();
    for (int i = 0; i < recent.size(); ++i) {
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(recent.at(i)));
        connect(RecentMenu->addAction(text), &QAction::triggered, this, [this, i] { Recent_Click(i); });
    }
    RecentMenu->setEnabled(!recent.isEmpty());
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
