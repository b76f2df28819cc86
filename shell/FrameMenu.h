#pragma once

#include <QMenuBar>

class QAction;
class QMainWindow;
class QMenu;
class TopForm;

// The frame's menu bar: File (the cube documents, the photo folders, Quit),
// Edit (undo, redo and the face commands) and Help (Vexilo Help, About
// Vexilo); each item is the editor's action or runs what the editor does.
class FrameMenu : public QMenuBar
{
    Q_OBJECT
public:
    FrameMenu(QMainWindow *frame, TopForm *editor);

    void OpenFolder_Click();
    void Recent_Click(int Index);
    void RecentCube_Click(int Index);
    void Quit_Click();
    void VexiloHelp_Click();
    void AboutVexilo_Click();

    QMenu *FileMenu = nullptr;
    QAction *OpenFolder = nullptr;
    QMenu *RecentMenu = nullptr;
    QMenu *RecentCubesMenu = nullptr;
    QMenu *EditMenu = nullptr;
    QAction *Quit = nullptr;
    QMenu *HelpMenu = nullptr;
    QAction *VexiloHelp = nullptr;
    QAction *AboutVexilo = nullptr;

private:
    // The recent folders and cubes, the latest first, numbered as desktops do.
    void FillRecentMenus();
    void CreateEditMenu();

    QMainWindow *m_frame;
    TopForm *m_editor;
};
