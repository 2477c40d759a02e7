#include "conversion/pendingnames.h"

#include <QList>

#include <unistd.h>

namespace {

std::mutex &namesMutex()
{
    static std::mutex mutex;
    return mutex;
}

QList<QByteArray> &names()
{
    static QList<QByteArray> list;
    return list;
}

} // namespace

namespace PendingNames {

std::unique_lock<std::mutex> lock()
{
    return std::unique_lock(namesMutex());
}

void add(const QByteArray &name)
{
    names().append(name);
}

void remove(const QByteArray &name)
{
    names().removeOne(name);
}

void removeAllAndExit(int status)
{
    // The lock is never given back: no other thread starts a step after this.
    namesMutex().lock();
    for (const QByteArray &name : std::as_const(names()))
        ::unlink(name.constData());
    ::_exit(status);
}

} // namespace PendingNames
