#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// One registry hive as a text file in the regedit export syntax:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Norvane\Vexilo]
//   "SMTPServer"="mail.example.org"
//   "Count"=dword:0000000a
//   @="default value"
//
// Key paths and value names compare without regard to case; empty segments
// of a key path ("Software\\Norvane") are left out. A file that cannot be
// parsed, is empty or lacks the header line is reported as such, so that
// callers never overwrite it. Reading and writing take time in proportion to
// the size of the hive.
struct RegistryValue
{
    enum Type {
        String = 1,
        Binary = 3,
        DWord = 4
    };
    QString name; // empty for the default value "@"
    Type type = String;
    QString text; // String
    quint32 number = 0; // DWord
    QByteArray bytes; // Binary
};

struct RegistryKey
{
    QString path; // full path, root name included
    QList<RegistryValue> values;
};

class RegistryHive
{
public:
    // Largest hive file that is read at all; anything larger is unparseable.
    static constexpr qint64 MaxFileSize = 8 * 1024 * 1024;
    static constexpr int MaxLineLength = 1024 * 1024;

    bool parse(const QByteArray &text);
    QByteArray serialize() const;

    // Whether the file syntax can carry a key path, or a value name and data:
    // a key path is one line, so no control characters and no blanks at its
    // ends; names and texts may hold anything but NUL.
    static bool canCarryKey(const QString &path);
    static bool canCarryValue(const RegistryValue &value);
    static QString normalizedPath(const QString &path);

    const RegistryKey *findKey(const QString &path) const;
    bool keyExists(const QString &path) const { return findKey(path) != nullptr; }
    std::optional<RegistryValue> value(const QString &keyPath, const QString &name) const;
    QStringList subKeys(const QString &path) const;

    void createKey(const QString &path);
    void setValue(const QString &keyPath, const RegistryValue &value);
    bool deleteValue(const QString &keyPath, const QString &name);
    bool deleteKeyTree(const QString &path);

private:
    RegistryKey *findKeyMutable(const QString &path);
    RegistryKey &insertKey(const QString &normalizedPath);
    void setValueOf(qsizetype keyIndex, const RegistryValue &value);
    void reindex();

    QList<RegistryKey> m_keys;
    QHash<QString, qsizetype> m_keyIndex;    // folded path -> index in m_keys
    QHash<QString, qsizetype> m_valueIndex;  // key index and folded name -> index in values
};
