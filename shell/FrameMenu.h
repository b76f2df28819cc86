#pragma once

#include <QMenuBar>

class QAction;
class QMainWindow;
class QMenu;
class TopForm;

// The frame's menu bar: File (Open Photo Folder..., Open Recent, Quit) and
// Help (Vexilo Help, About Vexilo); each item runs what the editor does for it.
class FrameMenu : public QMenuBar
{
    Q_OBJECT
public:
    FrameMenu(QMainWindow *frame, TopForm *editor);

    void OpenFolder_Click();
    void Recent_Click(int Index);
    void Quit_Click();
    void VexiloHelp_Click();
    void AboutVexilo_Click();

    QMenu *FileMenu = nullptr;
    QAction *OpenFolder = nullptr;
    QMenu *RecentMenu = nullptr;
    QAction *Quit = nullptr;
    QMenu *HelpMenu = nullptr;
    QAction *VexiloHelp = nullptr;
    QAction *AboutVexilo = nullptr;

private:
    // The recent folders, the latest first, numbered as desktops do.
    void FillRecentMenu();

    QMainWindow *m_frame;
    TopForm *m_editor;
};
