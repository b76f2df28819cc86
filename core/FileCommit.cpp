#include "core/FileCommit.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

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

bool FileCommit::ReplaceScratch(const QString &path, const QByteArray &bytes)
{
    const QString partPath = path + QStringLiteral(".part");
    QFile part(partPath);
    errno = 0;
    if (part.open(QIODevice::WriteOnly) && part.write(bytes) == bytes.size() && part.flush()) {
        part.close();
        if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(path).constData()) == 0)
            return true;
    }
    gReason = errno ? qt_error_string(errno) : part.errorString();
    // A failed flush leaves its error on the file, and QFile::remove would
    // then keep it.
    part.close();
    QFile::remove(partPath);
    return false;
}

QString FileCommit::LastReason()
{
    return gReason;
}
