#include "mail/MailProgram.h"

#include "core/MessageIds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// xdg-email's exit codes for "no program could take it" and "it failed".
constexpr int kNoMethod = 3, kActionFailed = 4;

// xdg-email says why last, after what the tools it ran said; the message's
// address, with its whole text, is left out.
QString Reason(const QByteArray &errors)
{
    QString line = QString::fromLocal8Bit(errors).trimmed().section(QLatin1Char('\n'), -1);
    line = line.section(QStringLiteral(" for opening '"), 0, 0);
    if (line.size() > 160)
        line = line.left(160) + QChar(0x2026);
    return line;
}

} // namespace

MailProgram::MailProgram(QObject *parent)
    : QObject(parent)
{
    m_patience.setSingleShot(true);
    m_patience.setInterval(5000);
    connect(&m_patience, &QTimer::timeout, this, &MailProgram::LetGo);
}

MailProgram::~MailProgram()
{
    if (m_process)
        LetGo();
}

QString MailProgram::HandedRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + QStringLiteral("/vexilo/MailProgram");
}

void MailProgram::RemoveOldHandOvers(const QString &root, const QDateTime &now)
{
    const QFileInfoList folders = QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &folder : folders)
        if (folder.lastModified().secsTo(now) > 24 * 60 * 60)
            QDir(folder.absoluteFilePath()).removeRecursively();
}

QStringList MailProgram::Arguments(const MailOrder &order, const QStringList &attachments)
{
    // xdg-email ends each line of the text with CR LF itself.
    const QString body = MailComposer::PlainText(order).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--subject"), order.subject,
                          QStringLiteral("--body"), body};
    for (const QString &file : attachments)
        arguments << QStringLiteral("--attach") << file;
    for (const QString &address : order.recipients.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (const QString a = address.trimmed(); !a.isEmpty())
            arguments << a;
    return arguments;
}

void MailProgram::Hand(const MailOrder &order)
{
    const QString root = HandedRoot();
    RemoveOldHandOvers(root, QDateTime::currentDateTime());
    QDir().mkpath(root);
    QTemporaryDir folder(root + QStringLiteral("/XXXXXX"));
    folder.setAutoRemove(false);
    QStringList attachments;
    // The cube's picture first: mail programs show pictures they carry in the message.
    for (const QString &file : {order.picture, order.attachment, order.webPage}) {
        if (file.isEmpty())
            continue;
        const QString copy = folder.filePath(QFileInfo(file).fileName());
        if (!folder.isValid() || !QFile::copy(file, copy))
            return Finish(false, Msg::NotHandedToMailProgram, file);
        attachments << copy;
    }
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        ProcessEnded(status == QProcess::NormalExit ? exitCode : kActionFailed);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Finish(false, Msg::NoMailProgram, QStringLiteral("xdg-email: ") + m_process->errorString());
    });
    m_patience.start();
    m_process->start(QStringLiteral("xdg-email"), Arguments(order, attachments));
}

void MailProgram::ProcessEnded(int exitCode)
{
    const QString reason = Reason(m_process->readAllStandardError());
    if (exitCode == 0)
        Finish(true, 0, QString());
    else if (exitCode == kNoMethod || exitCode == kActionFailed)
        Finish(false, Msg::NoMailProgram, reason);
    else
        Finish(false, Msg::NotHandedToMailProgram, reason);
}

// Still running: the mail program it started has the message and lives on
// after us.
void MailProgram::LetGo()
{
    if (!m_process)
        return;
    QProcess *process = std::exchange(m_process, nullptr);
    process->disconnect(this);
    process->setParent(nullptr);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    Finish(true, 0, QString());
}

void MailProgram::Finish(bool handed, int textId, const QString &reason)
{
    m_patience.stop();
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    QMetaObject::invokeMethod(
        this, [this, handed, textId, reason] { emit finished(handed, textId, reason); }, Qt::QueuedConnection);
}
