#pragma once

#include "resources/Resources.h"

#include <QMainWindow>

class CubePreview;
class QMdiArea;
class QMdiSubWindow;
class TopForm;

// The main frame: a multiple-document frame whose only child is the editor,
// filling the client area with the turning cube beside it where the frame
// has room for it.
class MDIForm1 : public QMainWindow
{
    Q_OBJECT
public:
    MDIForm1();

    static constexpr int PreviewGap = 16;
    static constexpr int PreviewEdge = 640;

    // Runs start-up and shows the editor in the frame; false when
    // the editor cannot be made (the user has been told).
    bool MDIForm_Load();
    TopForm *editor() const { return m_editor; }
    CubePreview *preview() const { return m_preview; }
    void activate();
    // Opens a cube document in the editor, as File > Open Cube does.
    void OpenDocument(const QString &path);
    // Offers the changes a crash or a kill left unsaved.
    void OfferRecovery();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void MDIForm_Resize();
    void MDIForm_Unload();
    void PlaceEditor();
    // F6 moves the keyboard between the editor and the preview.
    void SwitchPane();

    // The frame picture, read while the editor loads.
    ArtworkReading m_background;
    QMdiArea *m_area = nullptr;
    QMdiSubWindow *m_child = nullptr;
    TopForm *m_editor = nullptr;
    CubePreview *m_preview = nullptr;
};
