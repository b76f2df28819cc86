#include "mail/PasswordStore.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

// Runs a job to its end; a store that keeps quiet is taken as missing.
QKeychain::Error runJob(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error();
}

} // namespace

QString PasswordStore::ServiceName()
{
    return QStringLiteral("Norvane Vexilo mail");
}

QString PasswordStore::KeyFor(const QString &user, const QString &host, quint16 port)
{
    return QStringLiteral("%1@%2:%3").arg(user, host).arg(port);
}

PasswordStore::Reading PasswordStore::Read(const QString &key) const
{
    QKeychain::ReadPasswordJob job(ServiceName());
    job.setKey(key);
    switch (runJob(job)) {
    case QKeychain::NoError:
        return {Status::Found, job.textData()};
    case QKeychain::EntryNotFound:
        return {Status::NotFound, QString()};
    default:
        return {Status::Unavailable, QString()};
    }
}

bool PasswordStore::Write(const QString &key, const QString &password)
{
    QKeychain::WritePasswordJob job(ServiceName());
    job.setKey(key);
    job.setTextData(password);
    return runJob(job) == QKeychain::NoError;
}

bool PasswordStore::Remove(const QString &key)
{
    QKeychain::DeletePasswordJob job(ServiceName());
    job.setKey(key);
    const QKeychain::Error error = runJob(job);
    return error == QKeychain::NoError || error == QKeychain::EntryNotFound;
}
