#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

// The command-line program as a process: an ending signal stops it at once, wherever it waits,
// and leaves no file behind; neither does a kill.
class TestCliSignals : public QObject {
    Q_OBJECT

private slots:
    void init();
    void signalEndsAWaitingRun_data();
    void signalEndsAWaitingRun();
    void killLeavesNoFile();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    void writeFile(const QString &relative, const QByteArray &content) const;
    QStringList leftovers(const QString &relative) const;

    std::optional<QTemporaryDir> m_dir;
};

namespace {

const QString program = QStringLiteral(QUILLMERE_BIN_DIR "/quillmere-cli");

// Whether the process's main thread holds the signal back, which it does once it is ready to
// take it on its own thread.
bool holdsBack(qint64 pid, int signal)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigBlk:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
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
}

void TestCliSignals::signalEndsAWaitingRun()
{
    QFETCH(QString, input);
    QFETCH(int, signal);
    writeFile(u"first.xml"_s, "<r><a>x</a></r>");
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"pipe.xml"_s)).constData(), 0600), 0);

    QProcess run;
    run.setWorkingDirectory(m_dir->path());
    run.start(program, {u"-j"_s, u"1"_s, u"-o"_s, u"out"_s, u"first.xml"_s, input});
    QVERIFY(run.waitForStarted());
    // Standard input stays open and empty: the run waits for it, as after `sleep 30 |`.
    QTRY_VERIFY(holdsBack(run.processId(), signal));
    QTRY_COMPARE(leftovers(u"out"_s), QStringList({u"first.csv"_s}));
    ::kill(pid_t(run.processId()), signal);
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 128 + signal);
    QCOMPARE(leftovers(u"out"_s), QStringList({u"first.csv"_s}));
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

QTEST_GUILESS_MAIN(TestCliSignals)
#include "tst_clisignals.moc"
