#include "components/tbrowser/FileUrl.h"

namespace {
const QByteArray kScheme = QByteArrayLiteral("file://");

bool keptAsIs(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
           || c == '_' || c == '~' || c == '/';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

namespace FileUrl {

QByteArray fromPath(const QByteArray &path)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray url = kScheme;
    url.reserve(kScheme.size() + path.size() * 3);
    for (char c : path) {
        if (keptAsIs(c)) {
            url += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 0xF];
        }
    }
    return url;
}

std::optional<QByteArray> toPath(const QByteArray &url)
{
    if (!url.startsWith(kScheme))
        return std::nullopt;
    QByteArray path;
    path.reserve(url.size() - kScheme.size());
    for (qsizetype i = kScheme.size(); i < url.size(); ++i) {
        const char c = url.at(i);
        if (c == '\0')
            return std::nullopt; // no path holds a NUL, whether written as it is or as %00
        if (c != '%') {
            path += c;
            continue;
        }
        if (i + 2 >= url.size())
            return std::nullopt;
        const int high = hexValue(url.at(i + 1));
        const int low = hexValue(url.at(i + 2));
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        path += char(high * 16 + low);
        i += 2;
    }
    return path;
}

QByteArray fileName(const QByteArray &url)
{
    const QByteArray path = toPath(url).value_or(QByteArray());
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace FileUrl
