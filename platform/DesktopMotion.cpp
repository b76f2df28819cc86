#include "platform/DesktopMotion.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace {

// GNOME's setting, asked of gsettings only on a GNOME desktop: elsewhere the
// process would cost the preview's first showing for nothing.
QString GnomeAnimations()
{
    if (!qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("GNOME"), Qt::CaseInsensitive)
        || QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
        return {};
    QProcess gsettings;
    gsettings.start(QStringLiteral("gsettings"),
                    {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"),
                     QStringLiteral("enable-animations")});
    if (!gsettings.waitForFinished(2000) || gsettings.exitCode() != 0)
        return {};
    return QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed();
}

} // namespace

namespace DesktopMotion {

bool ReducedBy(const QString &kdeGlobals, const QString &gnomeAnimations)
{
    if (gnomeAnimations == QLatin1String("false"))
        return true;
    if (kdeGlobals.isEmpty())
        return false;
    const QSettings kde(kdeGlobals, QSettings::IniFormat);
    bool number = false;
    const double factor = kde.value(QStringLiteral("KDE/AnimationDurationFactor")).toDouble(&number);
    return number && factor == 0;
}

bool Reduced()
{
    static const bool reduced = ReducedBy(
        QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kdeglobals")), GnomeAnimations());
    return reduced;
}

} // namespace DesktopMotion
