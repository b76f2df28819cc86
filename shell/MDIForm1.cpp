#include "shell/MDIForm1.h"

#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Startup.h"
#include "core/StartupTrace.h"
#include "editor/CubePreview.h"
#include "editor/TopForm.h"
#include "resources/Resources.h"
#include "shell/FrameBackground.h"
#include "shell/FrameMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QShortcut>

#include <algorithm>
#include <QMdiSubWindow>

MDIForm1::MDIForm1()
    : m_background(QStringLiteral("frame.png"))
{
    setObjectName(QStringLiteral("MDIForm1"));
    m_area = new QMdiArea(this);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(m_area);
    m_area->viewport()->installEventFilter(this);
    resize(1024, 768);
}

bool MDIForm1::MDIForm_Load()
{
    Startup::Run();
    StartupTrace::Mark("settings read");
    setWindowTitle(gAppTitle);
    setWindowIcon(ArtworkIcon(QStringLiteral("vexilo.png")));

    m_editor = new TopForm;
    StartupTrace::Mark("editor made");
    if (!m_editor->ButtonsCreated()) {
        // The button control is not registered or does not load.
        ShowMessage(Msg::UnableToCreateFiles);
        delete m_editor;
        m_editor = nullptr;
        return false;
    }
    m_editor->Form_Load();
    StartupTrace::Mark("editor loaded");
    StartupTrace::MarkFirstPaint(m_editor);
    setMenuBar(new FrameMenu(this, m_editor));
    m_preview = new CubePreview(m_editor->cube, m_area->viewport());
    auto *switchPane = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(switchPane, &QShortcut::activated, this, &MDIForm1::SwitchPane);
    m_child = m_area->addSubWindow(m_editor, Qt::FramelessWindowHint);
    m_child->setMinimumSize(m_editor->minimumSize());
    m_child->hide();
    PlaceEditor();
    m_child->show();
    StartupTrace::Mark("editor shown");
    return true;
}

// The preview takes a square as tall as the client area allows, of at most
// PreviewEdge, beside an editor of its designed size, or none when it would
// be less than half as tall as that editor. The editor takes the rest, down
// to its designed size; the two are centred together.
void MDIForm1::PlaceEditor()
{
    constexpr int gap = PreviewGap;
    const QSize client = m_area->viewport()->size();
    const QSize least = m_child->minimumSize();
    const int edge = std::min({client.height() - 2 * gap, client.width() - least.width() - 3 * gap, PreviewEdge});
    const int beside = edge >= least.height() / 2 ? gap + edge : 0;
    const QSize size(std::max(least.width(), client.width() - 2 * gap - beside),
                     std::max(least.height(), client.height() - 2 * gap));
    const int left = (client.width() - size.width() - beside) / 2;
    m_child->setGeometry(left, client.height() / 2 - size.height() / 2, size.width(), size.height());
    m_preview->setVisible(beside > 0);
    if (beside > 0)
        m_preview->setGeometry(left + size.width() + gap, client.height() / 2 - edge / 2, edge, edge);
}

void MDIForm1::SwitchPane()
{
    if (m_preview->hasFocus() || !m_preview->isVisible())
        m_editor->setFocus();
    else
        m_preview->setFocus();
}

void MDIForm1::MDIForm_Resize()
{
    m_area->setBackground(
        FrameBackground::Cover(m_background.picture(), m_area->viewport()->size(), devicePixelRatio()));
    if (m_child && !m_child->isHidden())
        PlaceEditor();
}

bool MDIForm1::eventFilter(QObject *watched, QEvent *event)
{
    // The client area is the MDI area's viewport: it gets its size only
    // once the frame is laid out, and again on every resize of the frame.
    if (watched == m_area->viewport() && event->type() == QEvent::Resize)
        MDIForm_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm1::activate()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void MDIForm1::OpenDocument(const QString &path)
{
    if (!m_editor)
        return;
    activate();
    m_editor->AskToSaveChanges();
    m_editor->OpenCubeFile(path);
}

void MDIForm1::OfferRecovery()
{
    if (m_editor)
        m_editor->OfferRecovery();
}

void MDIForm1::MDIForm_Unload()
{
    qApp->quit();
}

void MDIForm1::closeEvent(QCloseEvent *event)
{
    // The editor gets its own close query and unload before the frame ends.
    if (m_editor) {
        m_editor->close();
        m_editor = nullptr;
    }
    event->accept();
    MDIForm_Unload();
}
