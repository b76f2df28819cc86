#include "core/FileCommit.h"

#include <QSaveFile>

#include <cerrno>

namespace {
QString gReason;

// QFileDevice keeps no reason for a short write or a failed flush; the
// system's is still in errno.
bool Cancel(QSaveFile &file)
{
    gReason = errno ? qt_error_string(errno) : file.errorString();
    file.cancelWriting();
    return false;
}
} // namespace

bool FileCommit::Write(QSaveFile &file, const QByteArray &bytes)
{
    errno = 0;
    return file.write(bytes) == bytes.size() || Cancel(file);
}

bool FileCommit::Commit(QSaveFile &file)
{
    errno = 0;
    return (file.error() == QFileDevice::NoError && file.flush() && file.commit()) || Cancel(file);
}

QString FileCommit::LastReason()
{
    return gReason;
}
