#include "photosource/CatalogSearch.h"

#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "platform/CdromDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
const QString kInfoFile = QStringLiteral("info.cd");

// info.cd files are a few lines; anything this large is not one.
constexpr qint64 kMaxInfoSize = 4 * 1024 * 1024;

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}
} // namespace

QString CleanInfoValue(const QString &value)
{
    const QString clean = trimBlanks(value.section(QLatin1Char('#'), 0, 0));
    return clean.section(QLatin1Char('\t'), 0, 0);
}

std::optional<DiscInfo> ReadInfoCd(const QString &path, DiscInfo info)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxInfoSize)
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxInfoSize + 1);
    if (bytes.size() > kMaxInfoSize)
        return std::nullopt;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line : QString::fromUtf8(bytes).split(lineBreak)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = trimBlanks(line.left(equals)).toLower();
        if (key != QLatin1String("orderid") && key != QLatin1String("date"))
            continue;
        if (equals + 1 == line.size())
            return std::nullopt;
        // The character right after "=" is always skipped ("orderid = 0042").
        const QString value = CleanInfoValue(line.mid(equals + 2));
        (key == QLatin1String("orderid") ? info.orderId : info.date) = value;
    }
    return info;
}

QString CatalogNameFor(const DiscInfo &info)
{
    QString date = info.date;
    date.replace(QLatin1Char(':'), QLatin1Char('_')).replace(QLatin1Char(' '), QLatin1Char('-'));
    return date + QLatin1Char('-') + info.orderId;
}

qint16 IsVevudedEDPresent(const QString &name)
{
    DiscInfo info;
    for (const QString &root : CdromDrives::roots()) {
        const QString infoFile = QDir(root).filePath(kInfoFile);
        // A drive without a disc or without an info.cd is passed over.
        if (!QFileInfo(infoFile).isFile())
            continue;
        const std::optional<DiscInfo> read = ReadInfoCd(infoFile, info);
        if (!read)
            return False;
        info = *read;
        if (CatalogNameFor(info) == name)
            return True;
    }
    return False;
}

QString CatalogFileFor(const QString &catalogDirectory, const QString &name)
{
    return AppPaths::join(AppPaths::join(catalogDirectory, name), name + QStringLiteral(".sac"));
}

QString FindCatalog()
{
    const QString catalogDirectory = Settings::instance().catalogDirectory();
    if (catalogDirectory.isEmpty())
        return {};
    QString found;
    const QStringList names = QDir(catalogDirectory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (QFileInfo(CatalogFileFor(catalogDirectory, name)).isFile() && IsVevudedEDPresent(name) == True)
            found = name;
    }
    return found;
}
