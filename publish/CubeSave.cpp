#include "publish/CubeSave.h"

#include "core/AppPaths.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "publish/CubeBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

QString CubeSave::ChooseSaveDirectory(const QString &typed, const QString &listed)
{
    if (typed == listed)
        return listed;
    const QString full = typed.isEmpty() ? QString() : QFileInfo(typed).absoluteFilePath();
    if (!typed.isEmpty() && QDir::setCurrent(typed))
        return ShowMessage(Msg::DirectoryExists, MsgButtons::YesNo) == IDYES ? full : QString();
    if (!typed.isEmpty() && QDir().mkdir(typed))
        return full;
    ShowMessage(Msg::UnableToCreateDirectory, MsgButtons::OKCancel);
    return QString();
}

bool CubeSave::EnterOrCreate(const QString &dir)
{
    if (QDir::setCurrent(dir))
        return true;
    return QDir().mkdir(dir) && QDir::setCurrent(dir);
}

namespace {
// Why a target cannot be written. QSaveFile words an existing file it may
// not replace in its own way; the system's reason says more.
QString OpenFailure(const QSaveFile &out)
{
    if (QFileInfo::exists(out.fileName()) && ::access(QFile::encodeName(out.fileName()).constData(), W_OK) != 0)
        return qt_error_string(errno);
    return out.errorString();
}

// Empty when the copy is complete; else why it is not.
QString CopyFile(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return OpenFailure(out);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            const QString reason = chunk.isEmpty() ? in.errorString() : out.errorString();
            out.cancelWriting();
            return reason;
        }
    }
    return out.commit() ? QString() : out.errorString();
}
} // namespace

QList<CubeSave::CopyFailure> CubeSave::CopyPlainFiles(const QString &from, const QString &to)
{
    QList<CopyFailure> failed;
    for (const QString &name : CubeBuilder::PlainFiles(from))
        if (const QString reason = CopyFile(AppPaths::join(from, name), AppPaths::join(to, name)); !reason.isEmpty())
            failed.append({name, reason});
    return failed;
}
