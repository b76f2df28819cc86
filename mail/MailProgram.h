#pragma once

#include "mail/MailComposer.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

class QProcess;

// Hands a cube message to the desktop's own mail program through xdg-email
// (xdg-utils): the recipients, the subject, the text and the attachments.
// The attachments are copied to a folder of their own outside the work
// folder, so that the mail program can still read them when it takes them;
// such folders are removed a day later, at a later hand-over.
class MailProgram : public QObject
{
    Q_OBJECT
public:
    explicit MailProgram(QObject *parent = nullptr);
    ~MailProgram() override;

    // Starts the hand-over; finished() follows, after this has returned.
    void Hand(const MailOrder &order);

    // A mail program that is started by the hand-over keeps xdg-email
    // running until it ends: once it has run this long it has the message.
    void setPatience(int ms) { m_patience.setInterval(ms); }
    // Where the handed attachments are kept.
    static QString HandedRoot();
    static void RemoveOldHandOvers(const QString &root, const QDateTime &now);
    static QStringList Arguments(const MailOrder &order, const QStringList &attachments);

signals:
    // handed: the mail program has the message. Else textId is the message
    // that says why not, its one argument the reason.
    void finished(bool handed, int textId, const QString &reason);

private:
    void Finish(bool handed, int textId, const QString &reason);
    void ProcessEnded(int exitCode);
    void LetGo();

    QProcess *m_process = nullptr;
    QTimer m_patience;
};
