#pragma once

#include <QStringList>

#include <atomic>
#include <functional>

// Runs work(i) for every index of keys on up to `threads` threads, starting them in index
// order; items that share a key run one after another in index order, never at the same time.
// report(i, ran) is called on the calling thread for every index in index order, as soon as
// item i and all items before it are over. Once *cancel is set no further item starts, and
// those items are reported with ran = false. work must not throw.
void runOrdered(const QStringList &keys, int threads, const std::function<void(qsizetype)> &work,
                const std::function<void(qsizetype, bool)> &report,
                const std::atomic_bool *cancel = nullptr);
