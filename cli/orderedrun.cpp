#include "cli/orderedrun.h"

#include <QHash>

#include <condition_variable>
#include <mutex>
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

    // Items are taken in index order, so an item's predecessor was taken earlier and is over or
    // in another thread's hands: waiting for it cannot deadlock.
    const auto worker = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            if (previous[i] >= 0) {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return over[previous[i]] != 0; });
            }
            const bool run = !cancelled();
            if (run)
                work(i);
            {
                const std::lock_guard lock(mutex);
                over[i] = 1;
                ran[i] = run;
            }
            changed.notify_all();
        }
    };

    std::vector<std::jthread> pool;
    const qsizetype poolSize = std::min<qsizetype>(threads, count);
    pool.reserve(poolSize);
    for (qsizetype t = 0; t < poolSize; ++t)
        pool.emplace_back(worker);

    for (qsizetype i = 0; i < count; ++i) {
        bool itemRan = false;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return over[i] != 0; });
            itemRan = ran[i] != 0;
        }
        report(i, itemRan);
    }
}
