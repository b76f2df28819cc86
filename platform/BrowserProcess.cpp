#include "platform/BrowserProcess.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const QString kAddress = QStringLiteral("%u");

// Browsers looked for on PATH when nothing names one, most usual first.
const char *const kKnownBrowsers[] = {
    "firefox",          "firefox-esr",
    "chromium",         "chromium-browser",
    "google-chrome",    "google-chrome-stable",
    "microsoft-edge",   "brave-browser",
    "vivaldi",          "opera",
    "epiphany-browser", "epiphany",
    "falkon",           "konqueror",
    "midori",           "qutebrowser",
};

// A child started here that has not been reaped. Its pidfd becomes readable
// when it exits, and the event loop then reaps it at once, so an ended
// browser never lingers as a zombie.
struct Child
{
    int pidfd = -1;
    QSocketNotifier *exitWatch = nullptr;
};

QHash<pid_t, Child> &children()
{
    static QHash<pid_t, Child> started;
    return started;
}

void Track(pid_t pid)
{
    Child child;
    child.pidfd = int(syscall(SYS_pidfd_open, pid, 0));
    if (child.pidfd >= 0) {
        // Owned by the application too: a watch let go just before the end
        // of the program, whose deferred deletion never comes, still goes.
        child.exitWatch = new QSocketNotifier(child.pidfd, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(child.exitWatch, &QSocketNotifier::activated, [pid] { BrowserProcess::IsRunning(pid); });
    }
    children().insert(pid, child);
}

void Forget(pid_t pid)
{
    const Child child = children().take(pid);
    if (child.exitWatch) {
        child.exitWatch->setEnabled(false);
        child.exitWatch->deleteLater();
    }
    if (child.pidfd >= 0)
        close(child.pidfd);
}

QString Resolve(const QString &program, const QString &searchPath)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const QStringList dirs = searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return dirs.isEmpty() ? QString() : QStandardPaths::findExecutable(program, dirs);
}

std::optional<BrowserCommand> CommandFromWords(QStringList words, const QString &searchPath)
{
    if (words.isEmpty())
        return std::nullopt;
    const QString program = Resolve(words.takeFirst(), searchPath);
    if (program.isEmpty())
        return std::nullopt;
    return BrowserCommand{program, words};
}

// $BROWSER: commands separated by ":", "%s" standing for the address.
std::optional<BrowserCommand> FromBrowserVariable(const QString &searchPath)
{
    const QString variable = qEnvironmentVariable("BROWSER");
    for (const QString &entry : variable.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        QStringList words = QProcess::splitCommand(entry);
        for (QString &word : words)
            word.replace(QStringLiteral("%s"), kAddress);
        if (auto command = CommandFromWords(words, searchPath))
            return command;
    }
    return std::nullopt;
}

QStringList DataDirectories()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share:/usr/share");
    return QStringList{home} + system.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QString DefaultDesktopEntry(const QString &searchPath)
{
    const QString xdgMime = Resolve(QStringLiteral("xdg-mime"), searchPath);
    if (xdgMime.isEmpty())
        return QString();
    QProcess query;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), searchPath);
    query.setProcessEnvironment(env);
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return QString();
    }
    const QString name = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    for (const QString &dir : DataDirectories()) {
        const QString path = dir + QStringLiteral("/applications/") + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

std::optional<BrowserCommand> FromKnownBrowsers(const QString &searchPath)
{
    for (const char *name : kKnownBrowsers) {
        const QString program = Resolve(QString::fromLatin1(name), searchPath);
        if (!program.isEmpty())
            return BrowserCommand{program, {}};
    }
    return std::nullopt;
}

// The Exec key of the [Desktop Entry] group, with its field codes: the file
// and URL codes become the address, the others are dropped.
QStringList ExecWords(const QString &desktopFile)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inEntry = false;
    QString exec;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Exec=")))
            exec = line.mid(5);
    }
    QStringList words;
    for (const QString &word : QProcess::splitCommand(exec)) {
        QString out;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word.at(i) != QLatin1Char('%') || i + 1 == word.size()) {
                out += word.at(i);
                continue;
            }
            const QChar code = word.at(++i);
            if (QStringLiteral("fFuU").contains(code))
                out += kAddress;
            else if (code == QLatin1Char('%'))
                out += code;
        }
        if (!out.isEmpty())
            words << out;
    }
    return words;
}

} // namespace

QStringList BrowserCommand::argumentsFor(const QString &address) const
{
    QStringList result;
    bool placed = false;
    for (const QString &argument : arguments) {
        if (argument.contains(kAddress)) {
            result << QString(argument).replace(kAddress, address);
            placed = true;
        } else {
            result << argument;
        }
    }
    if (!placed)
        result << address;
    return result;
}

std::optional<BrowserCommand> BrowserProcess::CommandFromDesktopEntry(const QString &desktopFile,
                                                                      const QString &searchPath)
{
    return CommandFromWords(ExecWords(desktopFile), searchPath);
}

std::optional<BrowserCommand> BrowserProcess::FindExecutable(const QString &fileName, const QString &searchPath)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return std::nullopt;
    if (auto command = FromBrowserVariable(searchPath))
        return command;
    const QString entry = DefaultDesktopEntry(searchPath);
    if (!entry.isEmpty())
        if (auto command = CommandFromDesktopEntry(entry, searchPath))
            return command;
    return FromKnownBrowsers(searchPath);
}

qint64 BrowserProcess::Start(const BrowserCommand &command, const QString &address, const QString &searchPath)
{
    // Collect the children that have exited meanwhile, where no pidfd
    // watches them.
    for (pid_t pid : children().keys())
        IsRunning(pid);

    std::vector<QByteArray> argStore{QFile::encodeName(command.program)};
    for (const QString &argument : command.argumentsFor(address))
        argStore.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> envStore{"PATH=" + QFile::encodeName(searchPath)};
    for (char **e = environ; *e; ++e)
        if (qstrncmp(*e, "PATH=", 5) != 0)
            envStore.emplace_back(*e);
    std::vector<char *> envp;
    for (QByteArray &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], nullptr, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    if (error != 0)
        return 0;
    Track(pid);
    return pid;
}

bool BrowserProcess::IsRunning(qint64 id)
{
    const pid_t pid = pid_t(id);
    if (id <= 0 || !children().contains(pid))
        return false;
    int status = 0;
    pid_t result;
    do {
        result = waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0)
        return true;
    Forget(pid);
    return false;
}

bool BrowserProcess::Terminate(qint64 id)
{
    if (!IsRunning(id))
        return false;
    const pid_t pid = pid_t(id);
    if (kill(-pid, SIGTERM) != 0)
        kill(pid, SIGTERM);
    return true;
}
