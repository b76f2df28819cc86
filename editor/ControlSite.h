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
// property block. The button control needs no registration beforehand:
// while its class is not registered, or names a library file that is gone,
// the program's own libPressola.so serves it and is registered for the
// current user on the way, so the next start and design tools find it.
class ControlSite
{
public:
    static QString ClassIdFromProgId(const QString &progId);
    static QString ServerPath(const QString &classId);

    struct Server
    {
        QString classId;
        QString path; // the library file; empty when there is none
    };
    // The class and library that serve progId, as above.
    static Server FindServer(const QString &progId);

    // A new control of the class, or nullptr when no library serves it or
    // the library cannot be loaded.
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
