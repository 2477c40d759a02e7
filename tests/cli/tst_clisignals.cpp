#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

// The command-line program as a process: an ending signal stops it at once, wherever it waits,
// and leaves no file behind; neither does a kill. A file over the size limit and a closed
// standard error cost no other file. What a feed has sent is shown before it ends.
class TestCliSignals : public QObject {
    Q_OBJECT

private slots:
    void init();
    void signalEndsAWaitingRun_data();
    void signalEndsAWaitingRun();
    void killLeavesNoFile();
    void fileSizeLimitFailsOnlyThatFile();
    void closedPipe_data();
    void closedPipe();
    void liveFeedShowsLinesAsTheyArrive_data();
    void liveFeedShowsLinesAsTheyArrive();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    void writeFile(const QString &relative, const QByteArray &content) const;
    QStringList leftovers(const QString &relative) const;

    std::optional<QTemporaryDir> m_dir;
};

namespace {

const QString program = QStringLiteral(QUILLMERE_BIN_DIR "/quillmere-cli");

// Whether the thread holds the signal back.
bool threadHoldsBack(const QString &statusPath, int signal)
{
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigBlk:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

// Whether the process is ready to take the signal on a thread of its own: that thread waits for
// it, and every other one holds it back, threads started later for a conversion too.
bool holdsBack(qint64 pid, int signal)
{
    const QDir tasks(u"/proc/%1/task"_s.arg(pid));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const auto taking = std::count_if(threads.cbegin(), threads.cend(), [&](const QString &id) {
        return !threadHoldsBack(tasks.filePath(id + u"/status"_s), signal);
    });
    return threadHoldsBack(tasks.filePath(QString::number(pid) + u"/status"_s), signal)
            && taking == 1;
}

// The bytes waiting in a pipe to be read.
int bytesWaiting(int readEnd)
{
    int waiting = 0;
    return ::ioctl(readEnd, FIONREAD, &waiting) == 0 ? waiting : -1;
}

// Whether the process has a file open in the folder.
bool writesInto(qint64 pid, const QString &folder)
{
    const QDir descriptors(u"/proc/%1/fd"_s.arg(pid));
    for (const QString &name :
         descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(descriptors.filePath(name)).startsWith(folder + u'/'))
            return true;
    }
    return false;
}

} // namespace

void TestCliSignals::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath(u"out"_s));
}

void TestCliSignals::writeFile(const QString &relative, const QByteArray &content) const
{
    QFile file(path(relative));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QStringList TestCliSignals::leftovers(const QString &relative) const
{
    return QDir(path(relative))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void TestCliSignals::signalEndsAWaitingRun_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("signal");
    QTest::newRow("termOpeningPipe") << u"pipe.xml"_s << SIGTERM;
    QTest::newRow("hangupOpeningPipe") << u"pipe.xml"_s << SIGHUP;
    QTest::newRow("interruptReadingStdin") << u"-"_s << SIGINT;
    QTest::newRow("quitOpeningPipe") << u"pipe.xml"_s << SIGQUIT;
    QTest::newRow("user1ReadingStdin") << u"-"_s << SIGUSR1;
    QTest::newRow("user2OpeningPipe") << u"pipe.xml"_s << SIGUSR2;
    QTest::newRow("alarmOpeningPipe") << u"pipe.xml"_s << SIGALRM;
    QTest::newRow("virtualAlarmReadingStdin") << u"-"_s << SIGVTALRM;
    QTest::newRow("profilingOpeningPipe") << u"pipe.xml"_s << SIGPROF;
    QTest::newRow("cpuLimitOpeningPipe") << u"pipe.xml"_s << SIGXCPU;
    QTest::newRow("pollReadingStdin") << u"-"_s << SIGIO;
    QTest::newRow("powerOpeningPipe") << u"pipe.xml"_s << SIGPWR;
    QTest::newRow("realTimeOpeningPipe") << u"pipe.xml"_s << SIGRTMIN;
    QTest::newRow("lastRealTimeReadingStdin") << u"-"_s << SIGRTMAX;
    // A file large enough for its lines to be made on a second thread where a core is free,
    // written to standard output, a pipe that nobody reads, once it is full.
    QTest::newRow("termWritingAFullPipe") << u"big.xml"_s << SIGTERM;
}

void TestCliSignals::signalEndsAWaitingRun()
{
    QFETCH(QString, input);
    QFETCH(int, signal);
    writeFile(u"first.xml"_s, "<r><a>x</a></r>");
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"pipe.xml"_s)).constData(), 0600), 0);
    const bool toFullPipe = input == u"big.xml"_s;
    int pipeEnds[2] = {-1, -1};
    const auto closePipe = qScopeGuard([&pipeEnds] {
        for (const int end : pipeEnds) {
            if (end >= 0)
                ::close(end);
        }
    });
    if (toFullPipe) {
        writeFile(input, "<r>" + QByteArray("<a>some text</a>").repeated(200000) + "</r>");
        QCOMPARE(::pipe2(pipeEnds, O_CLOEXEC), 0);
    }

    QProcess run;
    run.setWorkingDirectory(m_dir->path());
    if (toFullPipe) {
        run.setChildProcessModifier([writeEnd = pipeEnds[1]] { ::dup2(writeEnd, STDOUT_FILENO); });
        run.start(program, {u"--stdout"_s, input});
    } else {
        run.start(program, {u"-j"_s, u"1"_s, u"-o"_s, u"out"_s, u"first.xml"_s, input});
    }
    QVERIFY(run.waitForStarted());
    // Standard input stays open and empty: the run waits for it, as after `sleep 30 |`.
    if (toFullPipe)
        QTRY_COMPARE(bytesWaiting(pipeEnds[0]), ::fcntl(pipeEnds[0], F_GETPIPE_SZ));
    else
        QTRY_COMPARE(leftovers(u"out"_s), QStringList({u"first.csv"_s}));
    QTRY_VERIFY(holdsBack(run.processId(), signal));
    ::kill(pid_t(run.processId()), signal);
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 128 + signal);
    QCOMPARE(leftovers(u"out"_s), toFullPipe ? QStringList() : QStringList({u"first.csv"_s}));
}

void TestCliSignals::killLeavesNoFile()
{
    // The output of a document still arriving through a pipe is under way when the program is
    // killed; nothing may remain of it, as nothing can clean up after SIGKILL.
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"pipe.xml"_s)).constData(), 0600), 0);
    QProcess run;
    run.setWorkingDirectory(m_dir->path());
    run.start(program, {u"-o"_s, u"out"_s, u"pipe.xml"_s});
    QVERIFY(run.waitForStarted());
    QFile pipe(path(u"pipe.xml"_s));
    QVERIFY(pipe.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QVERIFY(pipe.write("<r><a>x</a>") > 0);
    QTRY_VERIFY(writesInto(run.processId(), path(u"out"_s)));
    run.kill();
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(leftovers(u"out"_s), QStringList());
}

void TestCliSignals::fileSizeLimitFailsOnlyThatFile()
{
    QByteArray large = "<r>";
    for (int i = 0; i < 20000; ++i)
        large += "<a>" + QByteArray::number(i) + "</a>";
    writeFile(u"large.xml"_s, large + "</r>");
    writeFile(u"small.xml"_s, "<r><a>x</a></r>");

    QProcess run;
    run.setWorkingDirectory(m_dir->path());
    run.setChildProcessModifier([] {
        rlimit limit = {64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    run.start(program, {u"-j"_s, u"1"_s, u"-o"_s, u"out"_s, u"large.xml"_s, u"small.xml"_s});
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 1);
    QVERIFY2(run.readAllStandardError().contains("File too large"), "no reason given");
    QCOMPARE(leftovers(u"out"_s), QStringList({u"small.csv"_s}));
}

void TestCliSignals::closedPipe_data()
{
    QTest::addColumn<int>("stream"); // whose reader is gone before the run starts
    QTest::addColumn<QByteArray>("inPlace"); // empty: a pipe without reader; "-": closed; a file
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("outputs");
    QTest::addColumn<QString>("said"); // on standard error
    const QStringList good{u"g1.csv"_s, u"g2.csv"_s, u"g3.csv"_s};
    // As `quillmere-cli in 2>&1 | head -c 10` once head has ended: each failure is reported
    // into the closed pipe, and the other files are still converted.
    QTest::newRow("errorsLost") << STDERR_FILENO << QByteArray()
                                << QStringList{u"-j"_s, u"1"_s, u"-o"_s, u"out"_s, u"in"_s} << 1
                                << good << QString();
    // A warning lost is no failure: every file was converted.
    QTest::newRow("warningLost") << STDERR_FILENO << QByteArray()
                                 << QStringList{u"-j"_s,        u"1"_s,         u"-o"_s,
                                                u"out"_s,       u"in/g1.xml"_s, u"in/g1.xml"_s,
                                                u"in/g2.xml"_s, u"in/g3.xml"_s}
                                 << 0 << good << QString();
    QTest::newRow("errorClosed") << STDERR_FILENO << QByteArray("-")
                                 << QStringList{u"-j"_s, u"1"_s, u"-o"_s, u"out"_s, u"in"_s} << 1
                                 << good << QString();
    // As `quillmere-cli --stdout in.xml | head -1`: the program ends quietly, as a filter does.
    QTest::newRow("stdoutReaderGone")
            << STDOUT_FILENO << QByteArray() << QStringList{u"--stdout"_s, u"in/g1.xml"_s}
            << 128 + SIGPIPE << QStringList() << QString();
    // A stream closed when the program starts is named, and no file the program opens is taken
    // for it.
    QTest::newRow("stdoutClosed") << STDOUT_FILENO << QByteArray("-")
                                  << QStringList{u"--stdout"_s, u"in/g1.xml"_s} << 1
                                  << QStringList()
                                  << u"the program was started with standard output closed"_s;
    QTest::newRow("stdinClosed") << STDIN_FILENO << QByteArray("-")
                                 << QStringList{u"-o"_s, u"out"_s, u"in/g1.xml"_s, u"-"_s} << 1
                                 << QStringList{u"g1.csv"_s}
                                 << u"the program was started with standard input closed"_s;
    QTest::newRow("stdinClosedList")
            << STDIN_FILENO << QByteArray("-")
            << QStringList{u"-o"_s, u"out"_s, u"--files-from"_s, u"-"_s, u"in/g2.xml"_s} << 3
            << QStringList() << u"the program was started with standard input closed"_s;
    QTest::newRow("stdoutFull") << STDOUT_FILENO << QByteArray("/dev/full")
                                << QStringList{u"--stdout"_s, u"in/g1.xml"_s} << 1 << QStringList()
                                << u"No space left on device"_s;
}

void TestCliSignals::closedPipe()
{
    QFETCH(int, stream);
    QFETCH(QByteArray, inPlace);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, outputs);
    QFETCH(QString, said);
    QVERIFY(QDir(m_dir->path()).mkdir(u"in"_s));
    writeFile(u"in/b0.xml"_s, "<r><a></r>");
    writeFile(u"in/g1.xml"_s, "<r><a>1</a></r>");
    writeFile(u"in/g1b.xml"_s, "<r><a></b></r>");
    writeFile(u"in/g2.xml"_s, "<r><a>2</a></r>");
    writeFile(u"in/g3.xml"_s, "<r><a>3</a></r>");
    int ends[2];
    QCOMPARE(::pipe2(ends, O_CLOEXEC), 0);
    ::close(ends[0]);
    const int writeEnd = ends[1];
    const auto closeWriteEnd = qScopeGuard([writeEnd] { ::close(writeEnd); });

    QProcess run;
    run.setWorkingDirectory(m_dir->path());
    run.setChildProcessModifier([writeEnd, stream, inPlace] {
        if (inPlace == "-")
            ::close(stream);
        else if (!inPlace.isEmpty())
            ::dup2(::open(inPlace.constData(), O_WRONLY), stream);
        else
            ::dup2(writeEnd, stream);
    });
    run.start(program, arguments);
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), exitCode);
    const QString error = QString::fromLocal8Bit(run.readAllStandardError());
    if (stream == STDOUT_FILENO || said.size())
        QVERIFY2(said.isEmpty() ? error.isEmpty() : error.contains(said), qPrintable(error));
    QCOMPARE(leftovers(stream == STDOUT_FILENO ? u"in"_s : u"out"_s).filter(u".csv"_s), outputs);
}

void TestCliSignals::liveFeedShowsLinesAsTheyArrive_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("utf16");
    QTest::newRow("standardInput") << u"-"_s << false;
    QTest::newRow("namedPipe") << u"feed.xml"_s << false;
    QTest::newRow("utf16StandardInput") << u"-"_s << true;
}

// As `tail -f log.xml | quillmere-cli --stdout -`: each line shows while the feed still runs.
void TestCliSignals::liveFeedShowsLinesAsTheyArrive()
{
    QFETCH(QString, input);
    QFETCH(bool, utf16);
    const QByteArray fifo = QFile::encodeName(path(u"feed.xml"_s));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QProcess run;
    run.setWorkingDirectory(m_dir->path());
    run.start(program, {u"--stdout"_s, u"--eol"_s, u"lf"_s, input});
    QVERIFY(run.waitForStarted());
    int feed = -1;
    const auto stop = qScopeGuard([&] {
        if (feed >= 0)
            ::close(feed);
        run.kill();
        run.waitForFinished();
    });
    const auto send = [&](QByteArray bytes) {
        if (utf16)
            bytes = QStringEncoder(QStringConverter::Utf16LE).encode(QString::fromUtf8(bytes));
        if (input == u"-")
            return run.write(bytes) == bytes.size();
        return ::write(feed, bytes.constData(), std::size_t(bytes.size())) == bytes.size();
    };
    // Evaluated again after success: opened once only.
    if (input != u"-")
        QTRY_VERIFY(feed >= 0
                    || (feed = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0);
    QByteArray shown;
    QVERIFY(send("<log>\n<e>first</e>\n"));
    QTRY_COMPARE(shown += run.readAllStandardOutput(), QByteArray("log,e,first\n"));
    QVERIFY(send("<e>second</e>\n"));
    QTRY_COMPARE(shown += run.readAllStandardOutput(), QByteArray("log,e,first\nlog,e,second\n"));
    QVERIFY(send("</log>\n"));
    if (input == u"-")
        run.closeWriteChannel();
    else
        ::close(std::exchange(feed, -1));
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitCode(), 0);
    QCOMPARE(shown + run.readAllStandardOutput(), QByteArray("log,e,first\nlog,e,second\n"));
}

QTEST_GUILESS_MAIN(TestCliSignals)
#include "tst_clisignals.moc"
