#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program that opens web pages: its executable and the arguments that
// go before (or around) the page's address.
struct BrowserCommand
{
    QString program; // full path of the executable
    QStringList arguments; // "%u" stands for the address; appended when absent

    QStringList argumentsFor(const QString &address) const;
};

// Finding, starting and ending the browser. A browser is started as a child
// of this process in a process group of its own and reaped as soon as it
// exits (the event loop watches it through a pidfd). Until it is reaped its
// id cannot be reused, and once it is reaped the id is forgotten here, so an
// id held here always names the process that was started and never a later
// one that reuses it.
class BrowserProcess
{
public:
    // The browser for the kind of file fileName is (a page): $BROWSER, else
    // the desktop entry that "xdg-mime query default text/html" names, else
    // a known browser on searchPath. Nothing when fileName does not exist or
    // no browser is found.
    static std::optional<BrowserCommand> FindExecutable(const QString &fileName, const QString &searchPath);

    // Starts the browser on address with PATH=searchPath in its environment.
    // Returns the process id, or 0 when it could not be started.
    static qint64 Start(const BrowserCommand &command, const QString &address, const QString &searchPath);

    // True while the process started as id has not exited; reaps it when
    // it has.
    static bool IsRunning(qint64 id);

    // Ends the process started as id and the processes of its group, only
    // while it is still running. True when it was asked to end.
    static bool Terminate(qint64 id);

    // A desktop entry's Exec line as a command; nothing for an entry that
    // cannot be run. Exposed for tests.
    static std::optional<BrowserCommand> CommandFromDesktopEntry(const QString &desktopFile, const QString &searchPath);
};
