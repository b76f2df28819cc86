#include "publish/Progress.h"

#include "core/MessageIds.h"
#include "core/Twips.h"
#include "publish/StepBars.h"
#include "resources/StringTable.h"
#include "resources/Resources.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<Progress> &loaded()
{
    static QPointer<Progress> window;
    return window;
}
} // namespace

Progress *Progress::instance()
{
    if (!loaded())
        loaded() = new Progress;
    return loaded();
}

bool Progress::isLoaded()
{
    return !loaded().isNull();
}

void Progress::unload()
{
    delete loaded().data();
}

Progress *Progress::showInitializing()
{
    Progress *progress = instance();
    progress->showStep(0);
    progress->showCentred();
    progress->setStatus(LoadResString(Msg::Initializing));
    progress->repaintNow();
    return progress;
}

Progress::Progress()
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint)
{
    setFixedSize(TwipsToPixels(4500), TwipsToPixels(636));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(LoadArtwork(QStringLiteral("background.png"))));
    setPalette(pal);

    Status = new QLabel(this);
    Status->setGeometry(TwipsRect(180, 105, 4140, 195));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.4);
    Status->setFont(font);
    Bars = new StepBars(this);
    Bars->setGeometry(TwipsRect(120, 360, 3420, 156));
    Form_Load();
}

void Progress::Form_Load()
{
    setWindowTitle(LoadResString(Msg::ProgressTitle));
}

void Progress::showStep(int step)
{
    Bars->showStep(step);
}

void Progress::setStatus(const QString &text)
{
    Status->setText(text);
}

void Progress::repaintNow()
{
    if (isVisible())
        repaint();
}

void Progress::hideSteps()
{
    Bars->hideSteps();
}

void Progress::showCentred()
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

QString Progress::statusText() const
{
    return Status->text();
}

int Progress::visibleStep() const
{
    return Bars->visibleStep();
}
