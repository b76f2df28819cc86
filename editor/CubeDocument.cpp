#include "editor/CubeDocument.h"

#include "core/CubeEdits.h"
#include "core/CubeModel.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUndoStack>

namespace {
// Beside the recovery copy: the document it belongs to, empty when untitled.
QString RecoveryNameFile()
{
    return CubeDocument::RecoveryFile() + QStringLiteral(".document");
}
} // namespace

CubeDocument::CubeDocument(CubeModel &cube, QUndoStack &undo, QObject *parent)
    : QObject(parent)
    , m_cube(cube)
    , m_undo(undo)
{
    m_recoveryTimer.setSingleShot(true);
    m_recoveryTimer.setInterval(RecoveryDelayMs);
    connect(&m_recoveryTimer, &QTimer::timeout, this, &CubeDocument::WriteRecovery);
    connect(&m_undo, &QUndoStack::cleanChanged, this, &CubeDocument::titleChanged);
    connect(&m_undo, &QUndoStack::indexChanged, this, &CubeDocument::ScheduleRecovery);
}

QString CubeDocument::DisplayName() const
{
    return m_path.isEmpty() ? LoadResString(Msg::UntitledCube) : QFileInfo(m_path).fileName();
}

bool CubeDocument::IsModified() const
{
    return !m_undo.isClean();
}

void CubeDocument::SetPath(const QString &path)
{
    m_path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    emit titleChanged();
}

// The cube takes content as the document at path, with nothing to undo.
void CubeDocument::Take(const CubeContent &content, const QString &path)
{
    m_cube.SetContent(content);
    m_cube.SetCurrentFace(0);
    m_undo.clear();
    SetPath(path);
}

void CubeDocument::New()
{
    Take({}, {});
    DiscardRecovery();
}

CubeFile::Reading CubeDocument::Open(const QString &path)
{
    CubeFile::Reading reading = CubeFile::Load(path);
    if (reading.status != CubeFile::Status::Read)
        return reading;
    Take(reading.content, path);
    Settings::addRecentCube(m_path);
    DiscardRecovery();
    return reading;
}

bool CubeDocument::SaveAs(const QString &path, QString *reason)
{
    if (!CubeFile::Save(m_cube.Content(), path, reason))
        return false;
    m_undo.setClean();
    SetPath(path);
    Settings::addRecentCube(m_path);
    DiscardRecovery();
    return true;
}

QString CubeDocument::RecoveryFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
         + QStringLiteral("/vexilo/recovery.vexilo");
}

bool CubeDocument::HasRecovery()
{
    return QFileInfo(RecoveryFile()).isFile();
}

void CubeDocument::ScheduleRecovery()
{
    if (IsModified())
        m_recoveryTimer.start();
    else
        DiscardRecovery();
}

// The copy is written whole or not at all, with photo paths relative to
// the document it belongs to.
void CubeDocument::WriteRecovery()
{
    if (!IsModified())
        return;
    QDir().mkpath(QFileInfo(RecoveryFile()).path());
    QFile name(RecoveryNameFile());
    if (name.open(QIODevice::WriteOnly | QIODevice::Truncate))
        name.write(m_path.toUtf8());
    name.close();
    CubeFile::Save(m_cube.Content(), RecoveryFile());
}

CubeFile::Reading CubeDocument::Recover()
{
    QFile name(RecoveryNameFile());
    const QString documentPath = name.open(QIODevice::ReadOnly) ? QString::fromUtf8(name.readAll()) : QString();
    CubeFile::Reading reading = CubeFile::Load(RecoveryFile());
    if (reading.status != CubeFile::Status::Read)
        return reading;
    Take({}, documentPath);
    // One step holds the recovered changes, so that the cube counts as
    // changed until it is saved.
    m_undo.push(new ContentEdit(m_cube, reading.content, LoadResString(Msg::RecoveredChangesStep)));
    return reading;
}

void CubeDocument::DiscardRecovery()
{
    QFile::remove(RecoveryFile());
    QFile::remove(RecoveryNameFile());
}
