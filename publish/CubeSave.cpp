#include "publish/CubeSave.h"

#include "core/AppPaths.h"
#include "core/FileCommit.h"
#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "publish/CubeBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {
// A folder that exists and can be entered.
bool Enterable(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isExecutable();
}
} // namespace

QString CubeSave::ChooseSaveDirectory(const QString &typed, const QString &listed)
{
    if (typed == listed)
        return listed;
    const QString full = typed.isEmpty() ? QString() : QFileInfo(typed).absoluteFilePath();
    if (!typed.isEmpty() && Enterable(typed))
        return ShowMessage(Msg::DirectoryExists, MsgButtons::YesNo) == IDYES ? full : QString();
    if (!typed.isEmpty() && QDir().mkdir(typed))
        return full;
    ShowMessage(Msg::UnableToCreateDirectory, MsgButtons::OKCancel);
    return QString();
}

bool CubeSave::ExistsOrCreate(const QString &dir)
{
    return Enterable(dir) || (QDir().mkdir(dir) && Enterable(dir));
}

const char CubeSave::StagingFolder[] = ".vexilo-saving";

namespace {

CubeSave::Failure WriteFailure(const QString &path, const QString &reason)
{
    return {QDir::toNativeSeparators(path), reason};
}

CubeSave::Failure CopyFile(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return WriteFailure(source, in.errorString());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return WriteFailure(target, out.errorString());
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty()) {
            out.cancelWriting();
            return WriteFailure(source, in.errorString());
        }
        if (!FileCommit::Write(out, chunk))
            return WriteFailure(target, FileCommit::LastReason());
    }
    if (!FileCommit::Commit(out))
        return WriteFailure(target, FileCommit::LastReason());
    return {};
}

CubeSave::Failure MakeFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0755) != 0)
        return WriteFailure(path, qt_error_string(errno));
    return {};
}

CubeSave::Failure RenameOver(const QString &from, const QString &to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return WriteFailure(to, qt_error_string(errno));
    return {};
}

// Runs step on each name until one fails; that failure, or none.
template <typename Step> CubeSave::Failure EachName(const QStringList &names, Step step)
{
    for (const QString &name : names)
        if (CubeSave::Failure failure = step(name); failure.failed())
            return failure;
    return {};
}

// A folder in the way of a file would stop the renaming half-way.
CubeSave::Failure CheckReplaceable(const QString &target)
{
    if (QFileInfo(target).isDir())
        return WriteFailure(target, qt_error_string(EISDIR));
    return {};
}

// Whatever a killed copy left under the staging name, folder or file.
void RemoveStaging(const QString &staging)
{
    QFile::remove(staging);
    QDir(staging).removeRecursively();
}

} // namespace

CubeSave::Failure CubeSave::CopyPlainFiles(const QString &from, const QString &to)
{
    const QString staging = AppPaths::join(to, QString::fromLatin1(StagingFolder));
    RemoveStaging(staging);
    const QStringList names = CubeBuilder::PlainFiles(from);
    Failure failure = MakeFolder(staging);
    if (!failure.failed())
        failure = EachName(names, [&](const QString &name) {
            return CopyFile(AppPaths::join(from, name), AppPaths::join(staging, name));
        });
    if (!failure.failed())
        failure = EachName(names, [&](const QString &name) { return CheckReplaceable(AppPaths::join(to, name)); });
    if (!failure.failed())
        failure = EachName(names, [&](const QString &name) {
            return RenameOver(AppPaths::join(staging, name), AppPaths::join(to, name));
        });
    RemoveStaging(staging);
    return failure;
}
