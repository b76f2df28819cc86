#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// What a disc's info.cd says about it.
struct DiscInfo
{
    QString orderId;
    QString date;
};

// An info.cd value without its comment, its blanks and its tab tail.
QString CleanInfoValue(const QString &value);

// Reads the keys "orderid" and "date" of an info.cd into info (a later line
// wins; keys missing from the file leave info as it was). Nothing when the
// file cannot be read, is not a text file of reasonable size, or has an
// orderid or date line that ends right after its "=".
std::optional<DiscInfo> ReadInfoCd(const QString &path, DiscInfo info = {});

// The name of a disc's catalog: the date with ":" made "_" and blanks made
// "-", then "-" and the order id (1999_10_15-12_30_05-0042).
QString CatalogNameFor(const DiscInfo &info);

// True when a CD-ROM drive holds the disc of the named catalog.
qint16 IsVevudedEDPresent(const QString &name);

// The catalog file of a catalog name: CATALOGS/NAME/NAME.sac.
QString CatalogFileFor(const QString &catalogDirectory, const QString &name);

// The catalog below the catalogs directory whose disc is in a drive; when several
// match, the last in name order. Empty when none.
QString FindCatalog();
