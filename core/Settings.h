#pragma once

#include <QString>
#include <QStringList>

// The mail server messages go to. The "SMTPServer" setting names an
// alternate server; without one the default relay (string 87) is used, and
// only the default relay is sent the product identification line.
struct MailServerChoice
{
    QString server;
    bool useDefault = true;

    static MailServerChoice FromSetting(const QString &storedServer, const QString &defaultServer);
    bool operator==(const MailServerChoice &) const = default;
};

// The program's settings over the registry: the values of its own key
// (HKEY_CURRENT_USER\Software\Norvane\Vexilo) and those other software leaves
// for it. A value that is missing or cannot be read gives its default.
//
// The mail server, the sender, the catalogs directory and the default save
// directory are read once at start-up and kept for the run; a change made
// through a setter takes effect at once, even when the registry cannot keep
// it. Every other value is read from the registry each time it is asked for.
class Settings
{
public:
    static constexpr int RecentFolderCount = 5;
    static constexpr int RecentCubeCount = 5;

    static Settings &instance();

    // Reading the values kept for the run.
    void ReadMailServer();
    void ReadFromAddress();
    void ReadCatalogDirectory();
    // The default save directory, which follows from the base directory.
    void ReadCubeDirectory();

    MailServerChoice mailServer() const { return m_mailServer; }
    // An alternate server, or the empty text for the default relay.
    void setMailServer(const QString &alternateServer);
    QString fromAddress() const { return m_fromAddress; }
    void setFromAddress(const QString &address);
    // Picture CD's catalogs directory; empty when Picture CD is not installed.
    QString catalogDirectory() const { return m_catalogDirectory; }
    QString cubeDirectory() const { return m_cubeDirectory; }

    // The host name of the default relay.
    static QString defaultMailServer();
    // Where TBrowser lives; empty when the Media Browser is not installed.
    static QString mediaBrowserDirectory();
    // The installer's App Paths "Path", else the stand-in for the Windows
    // directory.
    static QString baseDirectory();
    // Stands for the Windows directory: $XDG_CACHE_HOME/vexilo.
    static QString windowsDirectory();
    // The work directory: the base directory followed by "CubeTemp".
    static QString workDirectory();
    // The default save directory for a work directory: on a drive-letter
    // path the drive root followed by "Vexilo" (C:\WINDOWS\CubeTemp gives
    // C:\Vexilo); elsewhere the home folder stands for the drive root.
    static QString cubeDirectoryFor(const QString &workDirectory, const QString &homeDirectory);

    // Whether Cube.html goes with Cube.exe; off unless set.
    static bool attachWebPage();
    static void setAttachWebPage(bool wanted);
    // Whether the mail server on this host refused a message for carrying
    // Cube.exe: sends through it take the web page instead. Kept per host
    // under the key "ProgramsRefused".
    static bool serverRefusesPrograms(const QString &host);
    static void setServerRefusesPrograms(const QString &host, bool refuses);
    // Whether a new photo fills its face (else it fits inside it); off
    // unless set.
    static bool newPhotosFill();
    static void setNewPhotosFill(bool fill);
    // Authorities trusted instead of the system's, for testing; empty for
    // the system's own.
    static QString caCertificateFile();

    // The photo folder chosen last; empty when none was.
    static QString photoFolder();
    static void setPhotoFolder(const QString &folder);
    // The folders chosen before, the latest first, at most RecentFolderCount.
    static QStringList recentFolders();
    static void setRecentFolders(const QStringList &folders);
    // The cube documents opened or saved before, the latest first, at most
    // RecentCubeCount.
    static QStringList recentCubes();
    // Puts the folder or document first in its list.
    static void addRecentFolder(const QString &folder);
    static void addRecentCube(const QString &document);

private:
    Settings() = default;

    MailServerChoice m_mailServer;
    QString m_fromAddress;
    QString m_catalogDirectory;
    QString m_cubeDirectory;
};
