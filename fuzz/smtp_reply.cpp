// Server replies, split into pieces where the input says: the first byte
// is the piece length.
#include "components/mmail/SmtpReplyReader.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t piece = size_t(data[0] % 64) + 1;
    SmtpReplyReader reader;
    for (size_t at = 1; at < size; at += piece) {
        reader.append(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(qMin(piece, size - at))));
        for (;;) {
            const SmtpReplyReader::Status status = reader.next();
            if (status == SmtpReplyReader::Status::Malformed)
                return 0;
            if (status == SmtpReplyReader::Status::Incomplete)
                break;
            FUZZ_CHECK(reader.code() >= 200 && reader.code() <= 599);
            FUZZ_CHECK(!reader.lines().isEmpty() && reader.lines().size() <= SmtpReplyReader::MaxLines);
        }
    }
    return 0;
}
