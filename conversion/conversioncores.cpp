#include "conversion/conversioncores.h"

#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex countsMutex;
int busyThreads = 0;
int spareCoresHeld = 0;

// The cores the process may run on: a program started with taskset or in a limited container
// sees fewer than the machine has.
int usableCores()
{
    static const int cores = QThread::idealThreadCount();
    return cores;
}

// Whether some core runs nothing at this moment, as far as the system tells: other programs
// may keep every core busy (/proc/loadavg counts the threads running and waiting to run, this
// one among them). Without that count every core counts as free.
bool systemHasIdleCore(int cores)
{
    const int fd = ::open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    char text[128];
    const ssize_t size = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (size <= 0)
        return true;
    text[size] = '\0';
    // "0.52 0.58 0.59 2/345 6789": the fourth field starts with the threads that can run.
    const char *field = text;
    for (int skipped = 0; skipped < 3 && field; ++skipped) {
        field = std::strchr(field, ' ');
        if (field)
            ++field;
    }
    return !field || std::atoi(field) < cores;
}

} // namespace

namespace ConversionCores {

Busy::Busy(int threads) : m_threads(threads)
{
    const std::lock_guard lock(countsMutex);
    busyThreads += threads;
}

Busy::~Busy()
{
    const std::lock_guard lock(countsMutex);
    busyThreads -= m_threads;
}

void Busy::release()
{
    const std::lock_guard lock(countsMutex);
    if (m_threads > 0) {
        --m_threads;
        --busyThreads;
    }
}

Spare::Spare()
{
    const std::lock_guard lock(countsMutex);
    // The thread asking converts too, whether or not it counted itself.
    if (std::max(busyThreads, 1) + spareCoresHeld < usableCores()
        && systemHasIdleCore(usableCores())) {
        ++spareCoresHeld;
        m_held = true;
    }
}

Spare::~Spare()
{
    if (!m_held)
        return;
    const std::lock_guard lock(countsMutex);
    --spareCoresHeld;
}

} // namespace ConversionCores
