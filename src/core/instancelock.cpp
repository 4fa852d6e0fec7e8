#include "instancelock.h"

#include <QString>

namespace
{

const char fileName[] = "runemount.lock";

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
    return lock.tryLock(0);
}
