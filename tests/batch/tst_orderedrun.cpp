#include "batch/orderedrun.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

#include <condition_variable>
#include <mutex>
#include <sys/resource.h>

// Running items on several threads: items that share a key keep their order, and a run goes on
// when the system allows fewer threads than asked for.
class TestOrderedRun : public QObject {
    Q_OBJECT

private slots:
    // First: the stacks of threads that have ended are kept for new ones, which would then
    // need no more address space.
    void runsWhenNoThreadCanBeMade();
    void sharedKeyWaitsForTheEarlierItem();
};

namespace {

// The address space the process uses now, from the kernel's account of it.
rlim_t addressSpaceInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').first().toULongLong() * 1024;
    }
    return 0;
}

} // namespace

void TestOrderedRun::runsWhenNoThreadCanBeMade()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reserves more address space than any limit allows");
#endif
    const rlim_t inUse = addressSpaceInUse();
    QVERIFY(inUse > 0);
    rlimit saved = {};
    QCOMPARE(::getrlimit(RLIMIT_AS, &saved), 0);
    QList<qsizetype> done;
    QList<qsizetype> reported;
    {
        // Room for a little memory but for no thread's stack.
        rlimit tight = saved;
        tight.rlim_cur = inUse + (1 << 20);
        QCOMPARE(::setrlimit(RLIMIT_AS, &tight), 0);
        const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_AS, &saved); });
        runOrdered(
                {u"a"_s, u"b"_s, u"c"_s}, 4, [&](qsizetype i) { done << i; },
                [&](qsizetype i, bool ran) {
                    if (ran)
                        reported << i;
                });
    }
    QCOMPARE(done, QList<qsizetype>({0, 1, 2}));
    QCOMPARE(reported, QList<qsizetype>({0, 1, 2}));
}

void TestOrderedRun::sharedKeyWaitsForTheEarlierItem()
{
    // The first item holds on until an item taken after the second one has finished, so a
    // second item that did not wait would run while the first is still under way.
    std::mutex mutex;
    std::condition_variable changed;
    bool thirdOver = false;
    QList<int> events; // +i: item i starts, -i - 1: item i is over
    const auto work = [&](qsizetype i) {
        std::unique_lock lock(mutex);
        events << int(i);
        if (i == 0)
            changed.wait(lock, [&] { return thirdOver; });
        if (i == 2) {
            thirdOver = true;
            changed.notify_all();
        }
        events << -int(i) - 1;
    };
    QList<qsizetype> reported;
    runOrdered({u"same"_s, u"same"_s, u"other"_s}, 3, work, [&](qsizetype i, bool ran) {
        QVERIFY(ran);
        reported << i;
    });
    QCOMPARE(reported, QList<qsizetype>({0, 1, 2}));
    QVERIFY2(events.indexOf(1) > events.indexOf(-1), qPrintable(QDebug::toString(events)));
}

QTEST_GUILESS_MAIN(TestOrderedRun)
#include "tst_orderedrun.moc"
