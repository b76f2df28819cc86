#include "photosource/DiscPrompt.h"

#include "core/Globals.h"
#include "core/MessageBox.h"
#include "photosource/InsertCD.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <memory>

namespace {
// Other software on the machine watches for this lock while the prompt is up.
std::unique_ptr<QLockFile> holdAutoPlayLock()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir())
        return nullptr;
    auto lock = std::make_unique<QLockFile>(QDir(runtime).filePath(QStringLiteral("Adobe.KodakVevudedED.AutoPlay")));
    lock->tryLock(0);
    return lock;
}

// The text before sep, leaving rest after it; false (nothing taken) when
// sep is not in rest.
bool takeUntil(QString &rest, QChar sep, QString &part)
{
    const qsizetype at = rest.indexOf(sep);
    if (at < 0)
        return false;
    part = rest.left(at);
    rest = rest.mid(at + 1);
    return true;
}
} // namespace

QString DiscLine(const QString &catalogName)
{
    QString a, b, c, d;
    QString rest = catalogName;
    QString skipped;
    if (takeUntil(rest, QLatin1Char('_'), a) && takeUntil(rest, QLatin1Char('_'), b)
        && takeUntil(rest, QLatin1Char('-'), c) && takeUntil(rest, QLatin1Char('-'), skipped))
        d = rest;
    return b + QLatin1Char('/') + c + QLatin1Char('/') + a + QStringLiteral(", #") + d;
}

bool PhotoFileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool AskForDisc(const QString &path, const QString &catalogName, QWidget *parent)
{
    const std::unique_ptr<QLockFile> lock = holdAutoPlayLock();
    bool found = false;
    while (!found) {
        InsertCD dialog(parent);
        dialog.Label1->setText(DiscLine(catalogName));
        dialog.Label2->setText(path);
        ShowModal(dialog);
        if (dialog.MyReturnVal == False)
            break;
        found = PhotoFileExists(path);
    }
    return found;
}
