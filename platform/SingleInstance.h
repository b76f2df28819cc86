#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running program per user and registry folder. The first instance
// listens on a local socket; a later one asks it to come to the front.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);

    // True when another instance runs; it has then been asked to activate.
    bool activateRunningInstance();
    // Starts listening; returns false when the socket could not be taken.
    bool listen();

    static QString serverName();

signals:
    void activationRequested();

private:
    QLocalServer *m_server = nullptr;
};
