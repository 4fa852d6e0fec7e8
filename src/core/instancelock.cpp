#include "instancelock.h"

#include <QCoreApplication>
#include <QString>
#include <QSysInfo>

namespace
{

const char fileName[] = "runemount.lock";

// The machine's name as QLockFile writes it into the lock.
QString lockHostName()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("COMPUTERNAME");
#else
    return QSysInfo::machineHostName();
#endif
}

} // namespace

InstanceLock::InstanceLock(const std::string &applicationDir)
    : lock(QString::fromUtf8(applicationDir.data(), int(applicationDir.size())) + QLatin1Char('/') +
           QLatin1String(fileName))
{
    // Only a lock whose copy is gone is stale, however long a running copy has held it.
    lock.setStaleLockTime(0);
}

bool InstanceLock::acquire()
{
    if (lock.tryLock(0))
        return true;
    // A killed copy's number can come back as this process's own (Wine hands out the same
    // numbers after every start, so do containers): a lock naming this very process, which
    // has not taken it yet, is left over.
    qint64 holder = 0;
    QString host;
    QString application;
    if (lock.error() != QLockFile::LockFailedError ||
        !lock.getLockInfo(&holder, &host, &application) ||
        holder != QCoreApplication::applicationPid() || host != lockHostName())
        return false;
    return lock.removeStaleLockFile() && lock.tryLock(0);
}
