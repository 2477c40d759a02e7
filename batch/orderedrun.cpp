#include "batch/orderedrun.h"

#include <QHash>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

void runOrdered(const QStringList &keys, int threads, const std::function<void(qsizetype)> &work,
                const std::function<void(qsizetype, bool)> &report, const std::atomic_bool *cancel)
{
    const qsizetype count = keys.size();
    const auto cancelled = [cancel] {
        return cancel && cancel->load();
    };

    if (threads <= 1 || count <= 1) {
        for (qsizetype i = 0; i < count; ++i) {
            const bool run = !cancelled();
            if (run)
                work(i);
            report(i, run);
        }
        return;
    }

    // The item before each one that shares its key: it must be over before this one starts.
    std::vector<qsizetype> previous(count, -1);
    QHash<QString, qsizetype> lastWithKey;
    for (qsizetype i = 0; i < count; ++i) {
        const auto last = lastWithKey.constFind(keys[i]);
        if (last != lastWithKey.constEnd())
            previous[i] = *last;
        lastWithKey.insert(keys[i], i);
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> over(count, 0);
    std::vector<char> ran(count, 0);
    std::atomic<qsizetype> next = 0;
    // Reports need not follow each item at once: the reporting thread looks every 50 ms
    // and is woken only when everything is over, which spares a wake-up per item when
    // there are thousands of small files. Workers waiting for a predecessor are woken at once.
    qsizetype itemsLeft = count;
    int workersWaiting = 0;

    // Items are taken in index order, so an item's predecessor was taken earlier and is over or
    // in another thread's hands: waiting for it cannot deadlock.
    const auto worker = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            if (previous[i] >= 0) {
                std::unique_lock lock(mutex);
                ++workersWaiting;
                changed.wait(lock, [&] { return over[previous[i]] != 0; });
                --workersWaiting;
            }
            const bool run = !cancelled();
            if (run)
                work(i);
            bool wake = false;
            {
                const std::lock_guard lock(mutex);
                over[i] = 1;
                ran[i] = run;
                wake = --itemsLeft == 0 || workersWaiting > 0;
            }
            if (wake)
                changed.notify_all();
        }
    };

    std::vector<std::jthread> pool;
    const qsizetype poolSize = std::min<qsizetype>(threads, count);
    pool.reserve(poolSize);
    try {
        for (qsizetype t = 0; t < poolSize; ++t)
            pool.emplace_back(worker);
    } catch (const std::system_error &) {
        // The system allows no more threads (a process limit): those made do the work.
    }
    if (pool.empty())
        worker();

    using namespace std::chrono_literals;
    for (qsizetype reported = 0; reported < count;) {
        std::vector<char> batch;
        {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, 50ms, [&] { return over[reported] != 0; });
            for (qsizetype i = reported; i < count && over[i] != 0; ++i)
                batch.push_back(ran[i]);
        }
        for (const char itemRan : batch)
            report(reported++, itemRan != 0);
    }
}
