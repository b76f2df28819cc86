#include "platform/registry/Registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <ctime>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <sys/stat.h>

namespace {

struct Hive
{
    HKEY root;
    const char *name;
    const char *shortName;
    const char *file;
};

constexpr Hive kHives[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR", nullptr},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU", "user.reg"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM", "system.reg"},
    {HKEY_USERS, "HKEY_USERS", "HKU", "users.reg"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA", "HKPD", nullptr},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC", nullptr},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA", "HKDD", nullptr},
};

const Hive *hiveFor(HKEY root)
{
    for (const Hive &h : kHives)
        if (h.root == root)
            return &h;
    return nullptr;
}

QString cleanKey(QString key)
{
    while (key.startsWith(QLatin1Char('\\')))
        key.remove(0, 1);
    return key;
}

QString joined(const char *rootName, const QString &key)
{
    const QString clean = cleanKey(key);
    return clean.isEmpty() ? QString::fromLatin1(rootName) : QString::fromLatin1(rootName) + QLatin1Char('\\') + clean;
}

QString classesKey(const QString &key)
{
    const QString clean = cleanKey(key);
    return clean.isEmpty() ? QStringLiteral("Software\\Classes") : QStringLiteral("Software\\Classes\\") + clean;
}

QString &LastError()
{
    static QString error;
    return error;
}

bool Fail(const QString &why)
{
    LastError() = why;
    return false;
}

// A hive file as it was when parsed: a rewrite (a new file renamed over it)
// or an edit in place changes one of these.
struct FileIdentity
{
    dev_t device;
    ino_t inode;
    off_t size;
    time_t modifiedSeconds;
    long modifiedNanoseconds;
    bool operator==(const FileIdentity &) const = default;
};

struct CachedHive
{
    FileIdentity identity;
    RegistryHive hive;
};

// A file changed within the last seconds could change again within the same
// tick of the file system's clock and keep its identity; only a file that has
// been still for longer is kept parsed.
bool SettledSince(const timespec &modified)
{
    constexpr time_t SettleSeconds = 2;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - modified.tv_sec > SettleSeconds;
}

// Parsed hives by path: start-up alone reads the same hives many times.
QHash<QString, CachedHive> &HiveCache()
{
    static QHash<QString, CachedHive> cache;
    return cache;
}

std::mutex &CacheMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The writers of a hive take turns through an exclusive flock on its lock
// file. The file is made once and never removed, so that no writer can take
// away a lock another has just made; the kernel lets go of the lock of a
// writer that dies. Waits up to timeoutMs; false when another still holds it.
class HiveLock
{
public:
    explicit HiveLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
    }
    ~HiveLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HiveLock(const HiveLock &) = delete;
    HiveLock &operator=(const HiveLock &) = delete;

    bool Take(int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return false;
            if (waited.elapsed() > timeoutMs)
                return false;
            QThread::msleep(5);
        }
        return m_fd >= 0;
    }

private:
    int m_fd;
};

// Replaces the hive file as a whole, or leaves it untouched: the final flush
// is checked before the commit, which would otherwise rename a short file
// over the old one when the disk is full.
bool SaveHive(const QString &path, const RegistryHive &hive)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return Fail(out.errorString());
    const QByteArray bytes = hive.serialize();
    errno = 0;
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        // QFileDevice keeps no reason for a failed flush; the system's is still in errno.
        const QString why = errno ? qt_error_string(errno) : out.errorString();
        out.cancelWriting();
        return Fail(why);
    }
    if (!out.commit())
        return Fail(out.errorString());
    return true;
}

} // namespace

QString Registry::lastError()
{
    return LastError();
}

QString Registry::directory()
{
    const QString configured = qEnvironmentVariable("VEXILO_REGISTRY_DIR");
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vexilo");
}

bool Registry::isPredefinedRoot(HKEY root)
{
    return root >= HKEY_CLASSES_ROOT && root <= HKEY_DYN_DATA;
}

std::optional<HKEY> Registry::rootFromName(const QString &name)
{
    for (const Hive &h : kHives)
        if (name.compare(QLatin1String(h.name), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String(h.shortName), Qt::CaseInsensitive) == 0)
            return h.root;
    return std::nullopt;
}

QList<Registry::Location> Registry::readLocations(HKEY root, const QString &key)
{
    if (root == HKEY_CLASSES_ROOT)
        return {{QStringLiteral("user.reg"), joined("HKEY_CURRENT_USER", classesKey(key))},
                {QStringLiteral("system.reg"), joined("HKEY_LOCAL_MACHINE", classesKey(key))}};
    const Hive *hive = hiveFor(root);
    if (!hive || !hive->file)
        return {};
    return {{QString::fromLatin1(hive->file), joined(hive->name, key)}};
}

std::optional<Registry::Location> Registry::writeLocation(HKEY root, const QString &key)
{
    if (root == HKEY_CLASSES_ROOT)
        return Location{QStringLiteral("system.reg"), joined("HKEY_LOCAL_MACHINE", classesKey(key))};
    const QList<Location> locations = readLocations(root, key);
    if (locations.isEmpty())
        return std::nullopt;
    return locations.first();
}

std::optional<RegistryHive> Registry::loadHive(const QString &file)
{
    const QString path = directory() + QLatin1Char('/') + file;
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return RegistryHive();
    const FileIdentity identity{status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec,
                                status.st_mtim.tv_nsec};
    const std::lock_guard<std::mutex> guard(CacheMutex());
    QHash<QString, CachedHive> &cache = HiveCache();
    const auto cached = cache.constFind(path);
    if (cached != cache.constEnd() && cached->identity == identity)
        return cached->hive;
    QFile f(path);
    RegistryHive hive;
    if (f.size() > RegistryHive::MaxFileSize || !f.open(QIODevice::ReadOnly)
        || !hive.parse(f.read(RegistryHive::MaxFileSize + 1)))
        return std::nullopt;
    if (SettledSince(status.st_mtim))
        cache.insert(path, {identity, hive});
    return hive;
}

bool Registry::keyExists(HKEY root, const QString &key)
{
    for (const Location &where : readLocations(root, key)) {
        const std::optional<RegistryHive> hive = loadHive(where.file);
        if (hive && hive->keyExists(where.fullPath))
            return true;
    }
    return false;
}

std::optional<RegistryValue> Registry::readValue(HKEY root, const QString &key, const QString &name)
{
    for (const Location &where : readLocations(root, key)) {
        const std::optional<RegistryHive> hive = loadHive(where.file);
        if (!hive || !hive->keyExists(where.fullPath))
            continue;
        return hive->value(where.fullPath, name);
    }
    return std::nullopt;
}

QStringList Registry::subKeys(HKEY root, const QString &key)
{
    QStringList names;
    for (const Location &where : readLocations(root, key)) {
        const std::optional<RegistryHive> hive = loadHive(where.file);
        if (!hive)
            continue;
        for (const QString &child : hive->subKeys(where.fullPath))
            if (!names.contains(child, Qt::CaseInsensitive))
                names << child;
    }
    return names;
}

bool Registry::modifyHive(const Location &where, const std::function<bool(RegistryHive &, const QString &)> &change)
{
    LastError().clear();
    if (!RegistryHive::canCarryKey(where.fullPath))
        return Fail(QStringLiteral("The key name cannot be stored: it holds a control character or blanks at an end"));
    const QString dir = directory();
    if (!QDir().mkpath(dir))
        return Fail(QStringLiteral("The registry folder %1 cannot be created").arg(dir));
    const QString lockPath = dir + QLatin1Char('/') + where.file + QStringLiteral(".lock");
    HiveLock lock(lockPath);
    if (!lock.Take(5000))
        return Fail(QStringLiteral("%1 is locked by another program").arg(where.file));
    std::optional<RegistryHive> hive = loadHive(where.file);
    if (!hive)
        return Fail(QStringLiteral("%1 cannot be read and is left as it is").arg(where.file));
    if (!change(*hive, where.fullPath))
        return true;
    return SaveHive(dir + QLatin1Char('/') + where.file, *hive);
}

bool Registry::createKey(HKEY root, const QString &key)
{
    const auto where = writeLocation(root, key);
    return where && modifyHive(*where, [](RegistryHive &hive, const QString &path) {
               if (hive.keyExists(path))
                   return false;
               hive.createKey(path);
               return true;
           });
}

bool Registry::writeValue(HKEY root, const QString &key, const RegistryValue &value)
{
    if (!RegistryHive::canCarryValue(value))
        return Fail(QStringLiteral("The value cannot be stored: it holds a NUL character"));
    const auto where = writeLocation(root, key);
    return where && modifyHive(*where, [&](RegistryHive &hive, const QString &path) {
               hive.setValue(path, value);
               return true;
           });
}

bool Registry::writeString(HKEY root, const QString &key, const QString &name, const QString &text)
{
    RegistryValue value;
    value.name = name;
    value.text = text;
    return writeValue(root, key, value);
}

bool Registry::deleteValue(HKEY root, const QString &key, const QString &name)
{
    if (name.contains(QChar(0)))
        return Fail(QStringLiteral("The value cannot be stored: it holds a NUL character"));
    const auto where = writeLocation(root, key);
    return where
           && modifyHive(*where, [&](RegistryHive &hive, const QString &path) { return hive.deleteValue(path, name); });
}

bool Registry::deleteKeyTree(HKEY root, const QString &key)
{
    const auto where = writeLocation(root, key);
    return where
           && modifyHive(*where, [](RegistryHive &hive, const QString &path) { return hive.deleteKeyTree(path); });
}
