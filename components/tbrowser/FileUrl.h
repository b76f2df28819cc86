#pragma once

#include <QByteArray>
#include <optional>

// File URLs of the browser: "file://" followed by the path's bytes, every
// byte except A-Z a-z 0-9 - . _ ~ and / written as %XX. Paths are the file
// system's own bytes, so names that are not UTF-8 survive the round trip.
namespace FileUrl {
QByteArray fromPath(const QByteArray &path);
// The path of a URL made by fromPath (hex digits in either case); nothing
// for other schemes, a bad escape or an escaped NUL.
std::optional<QByteArray> toPath(const QByteArray &url);
// The last segment of the URL's path, decoded.
QByteArray fileName(const QByteArray &url);
} // namespace FileUrl
