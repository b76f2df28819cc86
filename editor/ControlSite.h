#pragma once

#include <QString>
#include <functional>

class QObject;
class QRect;
class QWidget;

// Hosting of registered controls, as the editor window's buttons are: the
// ProgID names a class id in HKEY_CLASSES_ROOT, the class id names its
// library (InprocServer32), the library is loaded as a Qt plugin and asked
// for an instance, which is then initialised from the window's stored
// property block.
class ControlSite
{
public:
    static QString ClassIdFromProgId(const QString &progId);
    static QString ServerPath(const QString &classId);

    // A new control of the class, or nullptr when the class is not
    // registered or its library cannot be loaded.
    static QWidget *CreateControl(const QString &progId, QWidget *parent);

    // The stored block of a window's control: a 32-bit byte count followed
    // by the block. Empty when the file is missing or the count is wrong.
    static QByteArray StoredState(const QString &path);

    // Creates the control at its place and loads its stored state; nullptr
    // (and no control left behind) when either step fails.
    static QWidget *CreateStoredControl(const QString &progId, const QString &statePath, const QRect &geometry,
                                        QWidget *parent);

    // Calls the handler whenever the control emits the signal (SIGNAL(...)).
    static void OnEvent(QObject *control, const char *signal, std::function<void()> handler);
};
