#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running program per user and registry folder. The first instance
// listens on a local socket; a later one asks it to come to the front, and
// to open the document the later one was started with.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);

    // True when another instance runs; it has then been asked to activate,
    // and to open document when one is given.
    bool activateRunningInstance(const QString &document = {});
    // Starts listening; returns false when the socket could not be taken.
    bool listen();

    static QString serverName();

signals:
    void activationRequested();
    void openRequested(const QString &document);

private:
    void Answer(const QByteArray &request);

    QLocalServer *m_server = nullptr;
};
