#include "publish/Progress.h"

#include "publish/ProgressBar.h"
#include "resources/StringTable.h"
#include "core/Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
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
    progress->setStatus(LoadResString(24));
    progress->repaintNow();
    return progress;
}

Progress::Progress()
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint)
{
    setFixedSize(TwipsToPixels(4500), TwipsToPixels(636));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(QPixmap(QStringLiteral(":/artwork/background.png"))));
    setPalette(pal);

    Status = new QLabel(this);
    Status->setGeometry(TwipsRect(180, 105, 4140, 195));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.4);
    Status->setFont(font);
    for (int k = 0; k <= 10; ++k) {
        bar[k] = new ProgressBar(k, this);
        bar[k]->setGeometry(TwipsRect(120, 360, 3420, 156));
        bar[k]->hide();
    }
    Form_Load();
}

void Progress::Form_Load()
{
    setWindowTitle(LoadResString(31));
}

void Progress::showStep(int step)
{
    if (step < 0 || step > 10)
        return;
    bar[step]->show();
    // Higher steps lie above lower ones.
    for (ProgressBar *b : bar)
        if (!b->isHidden())
            b->raise();
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
    for (ProgressBar *b : bar)
        b->hide();
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
    for (int k = 10; k >= 0; --k)
        if (!bar[k]->isHidden())
            return k;
    return -1;
}
