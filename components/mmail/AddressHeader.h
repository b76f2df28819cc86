#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Address lists as the From and To fields carry them: "," separated
// entries, each an address or "Display Name <address>".

// The address inside "<...>" when given, else the trimmed entry.
QString EnvelopeAddress(const QString &entry);

// The envelope addresses of a "," separated list, empty entries left out.
QStringList EnvelopeAddresses(const QString &list);

// True when the text is printable ASCII only: an address that can go into an
// SMTP command and a header as it is, a header value that needs no encoding.
bool IsPlainAscii(const QString &text);

// The longest address a mail server takes in a command (a path of 256
// octets with its angle brackets).
constexpr qsizetype MaxAddressOctets = 254;

// The whole header line with its CR LF: display names that are not plain
// ASCII become RFC 2047 encoded words, and a long list is folded between
// its entries.
QByteArray AddressHeaderLine(const QString &name, const QString &list);
