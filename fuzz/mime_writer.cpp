// The message writer with header values and a body from the input (fields
// split at NUL bytes): every line it writes ends in CR LF, header lines stay
// within 998 octets and are never blank, and the message cannot end the DATA
// phase early.
#include "components/mmail/AddressHeader.h"
#include "components/mmail/MimeMessage.h"
#include "fuzz/FuzzCheck.h"

namespace {
// Blanks, to a mail reader, are spaces and tabs alone: a line holding any
// other character continues the field.
bool OnlyBlanks(const QByteArray &line)
{
    for (const char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> fields = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
    const auto field = [&](int i) { return i < fields.size() ? QString::fromUtf8(fields.at(i)) : QString(); };
    MimeMessage message;
    // Header values are single lines: the control refuses others.
    const auto line = [](QString text) { return text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')); };
    message.date = line(field(0));
    // Nor a date that no folding brings within the line limit.
    if (!MimeMessage::foldsWithinLimit(QStringLiteral("Date: ") + message.date))
        return 0;
    message.from = line(field(1));
    message.to = line(field(2));
    message.subject = line(field(3));
    // Nor does it write a message to an address no mail server takes.
    QStringList addresses = EnvelopeAddresses(message.to);
    addresses << EnvelopeAddresses(message.from);
    for (const QString &address : addresses)
        if (!IsPlainAscii(address) || address.size() > MaxAddressOctets)
            return 0;
    message.boundary = QStringLiteral("70554751157_boundary");
    message.container.type = QStringLiteral("multipart");
    message.container.subType = QStringLiteral("mixed");
    message.container.parameters = QStringLiteral("boundary=") + message.boundary;
    MimeEntity text;
    text.type = QStringLiteral("text");
    text.subType = QStringLiteral("plain");
    text.encoding = QStringLiteral("7bit");
    text.content = field(4).toUtf8();
    MimeEntity attachment;
    attachment.type = QStringLiteral("application");
    attachment.subType = QStringLiteral("octet-stream");
    attachment.encoding = QStringLiteral("base64");
    attachment.content = fields.mid(5).join('\0');
    message.parts = {text, attachment};

    const QByteArray rendered = message.render();
    FUZZ_CHECK(rendered.endsWith("\r\n"));
    FUZZ_CHECK(!rendered.contains("\r\n.\r\n") && !rendered.startsWith(".\r\n"));
    const qsizetype headerEnd = rendered.indexOf("\r\n\r\n");
    FUZZ_CHECK(headerEnd > 0);
    qsizetype start = 0;
    while (start < rendered.size()) {
        const qsizetype end = rendered.indexOf("\r\n", start);
        FUZZ_CHECK(end >= 0);
        const QByteArray text = rendered.mid(start, end - start);
        FUZZ_CHECK(!text.contains('\r') && !text.contains('\n'));
        if (end < headerEnd) {
            FUZZ_CHECK(text.size() <= 998);
            FUZZ_CHECK(!OnlyBlanks(text));
        }
        start = end + 2;
    }
    return 0;
}
