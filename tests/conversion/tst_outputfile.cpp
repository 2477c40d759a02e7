#include "conversion/convertfile.h"
#include "conversion/files/outputfile.h"
#include "core/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Converting files and writing text files: the output replaces an earlier one only when
// complete, and a failure leaves neither a partial file nor a temporary one.
namespace {

// Writes the whole text through an output file, as a program that has its result in memory
// would; throws Failure with the reason when it cannot.
void writeWhole(const QString &text, const QString &path)
{
    OutputFile file(path);
    if (!file.open())
        throw Failure(file.errorString());
    const QByteArray bytes = text.toUtf8();
    if (file.device()->write(bytes) != bytes.size()) {
        const QString reason
                = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.device()->errorString());
        file.discard();
        throw Failure(reason);
    }
    if (!file.commit())
        throw Failure(file.errorString());
}

} // namespace

class TestOutputFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void convertsIntoANewFile();
    void replacesAnEarlierOutput();
    void unreadableInput_data();
    void unreadableInput();
    void unwritableOutput_data();
    void unwritableOutput();
    void parseErrorKeepsEarlierOutput();
    void parseErrorIsReportedBeforeOutputError();
    void failedWriteKeepsEarlierOutput();
    void cancelLeavesNoFile();
    void wholeTextIsAllTheFileHolds_data();
    void wholeTextIsAllTheFileHolds();
    void failedWholeWriteNamesTheTarget();
    void permissionsOfNewAndReplacedFiles();
    void symbolicLinkIsNeverFollowed_data();
    void symbolicLinkIsNeverFollowed();
    void inputIsNeverItsOwnOutput_data();
    void inputIsNeverItsOwnOutput();
    void replacedFileKeepsOwnerAndGroup();
    void readOnlyOutputIsKept();
    void lockedFolderIsWrittenInPlace();
    void inPlaceRewriteWithoutRoomKeepsEarlierOutput();
    void discardLeavesTargetUntouched();
    void failedRenameLeavesNoTemporary();
    void pipeTargetIsNeverOpened();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }
    void write(const QString &name, const QByteArray &content) const;
    QByteArray read(const QString &name) const;
    QStringList entries() const;

    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

const QByteArray document = "<r><a>x</a><b>\xc3\xa9</b></r>";
const QByteArray documentLines = "r,a,x\r\nr,b,\xc3\xa9\r\n";

bool runningAsRoot()
{
    return geteuid() == 0;
}

// Lets the process write no file beyond a size, as a full disk would stop it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int);
};

QByteArray largeDocument()
{
    QByteArray xml = "<records>";
    for (int i = 0; i < 20000; ++i)
        xml += "<record><id>" + QByteArray::number(i) + "</id><name>something</name></record>";
    return xml + "</records>";
}

} // namespace

void TestOutputFile::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestOutputFile::write(const QString &name, const QByteArray &content) const
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QByteArray TestOutputFile::read(const QString &name) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return "(cannot read)";
    return file.readAll();
}

QStringList TestOutputFile::entries() const
{
    return QDir(m_folder->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
}

void TestOutputFile::convertsIntoANewFile()
{
    write(u"in.xml"_qs, document);
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), u","_qs);
    QVERIFY2(result.converted(), qPrintable(result.reason));
    QCOMPARE(result.linesWritten, 2);
    QCOMPARE(read(u"in.csv"_qs), documentLines);
    QCOMPARE(entries(), QStringList({u"in.csv"_qs, u"in.xml"_qs}));
}

void TestOutputFile::replacesAnEarlierOutput()
{
    write(u"in.xml"_qs, document);
    write(u"in.csv"_qs, QByteArray(100000, 'o'));
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), u","_qs);
    QVERIFY2(result.converted(), qPrintable(result.reason));
    QCOMPARE(read(u"in.csv"_qs), documentLines);
    QCOMPARE(entries(), QStringList({u"in.csv"_qs, u"in.xml"_qs}));
}

void TestOutputFile::unreadableInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << u"missing.xml"_qs << u"No such file or directory"_qs;
    QTest::newRow("folder") << u"folder.xml"_qs << u"file to open is a directory"_qs;
    QTest::newRow("throughFile") << u"plain.txt/in.xml"_qs << u"Not a directory"_qs;
    QTest::newRow("noPermission") << u"secret.xml"_qs << u"Permission denied"_qs;
}

void TestOutputFile::unreadableInput()
{
    QFETCH(QString, input);
    QFETCH(QString, reason);
    if (input == u"secret.xml" && runningAsRoot())
        QSKIP("permission bits do not stop root");
    QVERIFY(QDir(m_folder->path()).mkdir(u"folder.xml"_qs));
    write(u"plain.txt"_qs, "text");
    write(u"secret.xml"_qs, "<r/>");
    QVERIFY(QFile::setPermissions(path(u"secret.xml"_qs), QFile::WriteOwner));
    const ConversionResult result = convertFile(path(input), path(u"out.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(result.reason, reason);
    QCOMPARE(result.line, 0);
    QCOMPARE(result.column, 0);
    QVERIFY(!QFileInfo::exists(path(u"out.csv"_qs)));
}

void TestOutputFile::unwritableOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missingFolder") << u"missing/in.csv"_qs << u"No such file or directory"_qs;
    QTest::newRow("throughFile") << u"plain.txt/in.csv"_qs << u"Not a directory"_qs;
    QTest::newRow("folderInTheWay") << u"folder.csv"_qs << u"a folder has this name"_qs;
}

void TestOutputFile::unwritableOutput()
{
    QFETCH(QString, output);
    QFETCH(QString, reason);
    write(u"in.xml"_qs, document);
    write(u"plain.txt"_qs, "text");
    QVERIFY(QDir(m_folder->path()).mkdir(u"folder.csv"_qs));
    const QStringList before = entries();
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(output), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QCOMPARE(result.reason, u"Cannot write \"%1\": %2"_qs.arg(path(output), reason));
    QCOMPARE(entries(), before);
    QCOMPARE(read(u"plain.txt"_qs), QByteArray("text"));
}

void TestOutputFile::parseErrorKeepsEarlierOutput()
{
    write(u"in.xml"_qs, "<r><a>x</r>");
    write(u"in.csv"_qs, "earlier");
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(result.reason, u"mismatched tag"_qs);
    QCOMPARE(read(u"in.csv"_qs), QByteArray("earlier"));
    QCOMPARE(entries(), QStringList({u"in.csv"_qs, u"in.xml"_qs}));
}

void TestOutputFile::parseErrorIsReportedBeforeOutputError()
{
    write(u"in.xml"_qs, "<r><a>x</r>");
    write(u"plain.txt"_qs, "text");
    const ConversionResult result
            = convertFile(path(u"in.xml"_qs), path(u"plain.txt/in.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(result.line, 1);
    QCOMPARE(result.column, 10);
}

void TestOutputFile::failedWriteKeepsEarlierOutput()
{
    write(u"in.xml"_qs, largeDocument());
    write(u"in.csv"_qs, "earlier");
    ConversionResult result;
    {
        const FileSizeLimit limit(64 * 1024);
        result = convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), u","_qs);
    }
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QCOMPARE(result.reason, u"Cannot write \"%1\": File too large"_qs.arg(path(u"in.csv"_qs)));
    QCOMPARE(read(u"in.csv"_qs), QByteArray("earlier"));
    QCOMPARE(entries(), QStringList({u"in.csv"_qs, u"in.xml"_qs}));

    {
        const FileSizeLimit limit(64 * 1024);
        QVERIFY_THROWS_EXCEPTION(Failure, writeWhole(QString(100000, u'x'), path(u"in.csv"_qs)));
    }
    QCOMPARE(read(u"in.csv"_qs), QByteArray("earlier"));
    QCOMPARE(entries(), QStringList({u"in.csv"_qs, u"in.xml"_qs}));
}

void TestOutputFile::cancelLeavesNoFile()
{
    write(u"in.xml"_qs, document);
    const std::atomic_bool cancel = true;
    ConversionResult result
            = convertFile(path(u"in.xml"_qs), path(u"new.csv"_qs), u","_qs, &cancel);
    QCOMPARE(result.status, ConversionResult::Status::Cancelled);
    write(u"old.csv"_qs, "earlier");
    result = convertFile(path(u"in.xml"_qs), path(u"old.csv"_qs), u","_qs, &cancel);
    QCOMPARE(result.status, ConversionResult::Status::Cancelled);
    QCOMPARE(read(u"old.csv"_qs), QByteArray("earlier"));
    QCOMPARE(entries(), QStringList({u"in.xml"_qs, u"old.csv"_qs}));
}

void TestOutputFile::wholeTextIsAllTheFileHolds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("lines") << u"r,\u00e9\r\nr,\u6f22\r\n"_qs
                           << QByteArray("r,\xc3\xa9\r\nr,\xe6\xbc\xa2\r\n");
    QTest::newRow("noFinalLineBreak") << u"a"_qs << QByteArray("a");
}

void TestOutputFile::wholeTextIsAllTheFileHolds()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    write(u"out.csv"_qs, "an earlier, longer content");
    writeWhole(text, path(u"out.csv"_qs));
    QCOMPARE(read(u"out.csv"_qs), bytes);
    QCOMPARE(entries(), QStringList({u"out.csv"_qs}));
}

void TestOutputFile::failedWholeWriteNamesTheTarget()
{
    write(u"plain.txt"_qs, "text");
    const QString target = path(u"plain.txt/out.csv"_qs);
    try {
        writeWhole(u"x"_qs, target);
        QFAIL("no failure");
    } catch (const Failure &failure) {
        QCOMPARE(failure.description(), u"Cannot write \"%1\": Not a directory"_qs.arg(target));
    }
    QCOMPARE(entries(), QStringList({u"plain.txt"_qs}));
}

void TestOutputFile::permissionsOfNewAndReplacedFiles()
{
    write(u"reference.txt"_qs, "x");
    writeWhole(u"x"_qs, path(u"new.csv"_qs));
    QCOMPARE(QFileInfo(path(u"new.csv"_qs)).permissions(),
             QFileInfo(path(u"reference.txt"_qs)).permissions());

    write(u"kept.csv"_qs, "x");
    const QFile::Permissions chosen = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path(u"kept.csv"_qs), chosen));
    writeWhole(u"y"_qs, path(u"kept.csv"_qs));
    QCOMPARE(read(u"kept.csv"_qs), QByteArray("y"));
    QCOMPARE(QFileInfo(path(u"kept.csv"_qs)).permissions() & 0x7077, chosen);
}

void TestOutputFile::symbolicLinkIsNeverFollowed_data()
{
    QTest::addColumn<bool>("dangling");
    QTest::newRow("toFile") << false;
    QTest::newRow("dangling") << true;
}

void TestOutputFile::symbolicLinkIsNeverFollowed()
{
    QFETCH(bool, dangling);
    QVERIFY(QDir(m_folder->path()).mkdir(u"elsewhere"_qs));
    if (!dangling)
        write(u"elsewhere/yours.txt"_qs, "yours");
    QVERIFY(QFile::link(path(u"elsewhere/yours.txt"_qs), path(u"link.csv"_qs)));
    write(u"in.xml"_qs, document);
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(u"link.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QCOMPARE(result.reason,
             u"Cannot write \"%1\": a symbolic link has this name; it is never followed"_qs.arg(
                     path(u"link.csv"_qs)));
    QVERIFY(QFileInfo(path(u"link.csv"_qs)).isSymLink());
    QCOMPARE(QDir(path(u"elsewhere"_qs)).entryList(QDir::Files | QDir::Hidden),
             dangling ? QStringList() : QStringList({u"yours.txt"_qs}));
    if (!dangling)
        QCOMPARE(read(u"elsewhere/yours.txt"_qs), QByteArray("yours"));
}

void TestOutputFile::inputIsNeverItsOwnOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("sameName") << u"data.csv"_qs;
    QTest::newRow("hardLink") << u"other.csv"_qs;
}

void TestOutputFile::inputIsNeverItsOwnOutput()
{
    QFETCH(QString, output);
    write(u"data.csv"_qs, document);
    QCOMPARE(::link(QFile::encodeName(path(u"data.csv"_qs)).constData(),
                    QFile::encodeName(path(u"other.csv"_qs)).constData()),
             0);
    const ConversionResult result = convertFile(path(u"data.csv"_qs), path(output), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QCOMPARE(result.reason,
             u"Cannot write \"%1\": it is the input file itself"_qs.arg(path(output)));
    QCOMPARE(read(u"data.csv"_qs), document);
    QCOMPARE(entries(), QStringList({u"data.csv"_qs, u"other.csv"_qs}));
}

void TestOutputFile::replacedFileKeepsOwnerAndGroup()
{
    if (!runningAsRoot())
        QSKIP("only root may give a file to another user");
    write(u"in.xml"_qs, document);
    write(u"in.csv"_qs, "earlier");
    const QByteArray target = QFile::encodeName(path(u"in.csv"_qs));
    QCOMPARE(::chown(target.constData(), 65534, 65534), 0);
    QVERIFY(convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), u","_qs).converted());
    struct stat status = {};
    QCOMPARE(::stat(target.constData(), &status), 0);
    QCOMPARE(status.st_uid, uid_t(65534));
    QCOMPARE(status.st_gid, gid_t(65534));
}

void TestOutputFile::readOnlyOutputIsKept()
{
    if (runningAsRoot())
        QSKIP("permission bits do not stop root");
    write(u"in.xml"_qs, document);
    write(u"in.csv"_qs, "earlier");
    QVERIFY(QFile::setPermissions(path(u"in.csv"_qs), QFile::ReadOwner));
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QCOMPARE(result.reason, u"Cannot write \"%1\": Permission denied"_qs.arg(path(u"in.csv"_qs)));
    QCOMPARE(read(u"in.csv"_qs), QByteArray("earlier"));
}

void TestOutputFile::lockedFolderIsWrittenInPlace()
{
    if (runningAsRoot())
        QSKIP("permission bits do not stop root");
    write(u"good.xml"_qs, document);
    write(u"bad.xml"_qs, "<r>");
    QVERIFY(QDir(m_folder->path()).mkdir(u"locked"_qs));
    write(u"locked/out.csv"_qs, "earlier");
    const QString locked = path(u"locked"_qs);
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    const auto unlock = qScopeGuard([&] {
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    ConversionResult result = convertFile(path(u"bad.xml"_qs), path(u"locked/out.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(read(u"locked/out.csv"_qs), QByteArray("earlier"));

    result = convertFile(path(u"good.xml"_qs), path(u"locked/out.csv"_qs), u","_qs);
    QVERIFY2(result.converted(), qPrintable(result.reason));
    QCOMPARE(read(u"locked/out.csv"_qs), documentLines);

    result = convertFile(path(u"good.xml"_qs), path(u"locked/new.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList({u"out.csv"_qs}));
}

void TestOutputFile::inPlaceRewriteWithoutRoomKeepsEarlierOutput()
{
    // A file system out of inodes refuses the new file, so the target is rewritten in place;
    // it has no room for the longer content either.
    if (!runningAsRoot())
        QSKIP("mounting a small file system needs root");
    const QByteArray small = QFile::encodeName(path(u"small"_qs));
    QVERIFY(QDir(m_folder->path()).mkdir(u"small"_qs));
    if (::mount("tmpfs", small.constData(), "tmpfs", 0, "size=64k,nr_inodes=3") != 0)
        QSKIP("no tmpfs can be mounted here");
    const auto unmount = qScopeGuard([&] { ::umount2(small.constData(), MNT_DETACH); });
    write(u"in.xml"_qs, largeDocument());
    const QByteArray earlier(1000, 'e');
    write(u"small/in.csv"_qs, earlier);
    write(u"small/filler"_qs, {});

    const ConversionResult result
            = convertFile(path(u"in.xml"_qs), path(u"small/in.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QVERIFY2(result.reason.contains(u"No space left on device"_qs), qPrintable(result.reason));
    QCOMPARE(read(u"small/in.csv"_qs), earlier);
    QCOMPARE(QDir(path(u"small"_qs)).entryList(QDir::Files | QDir::Hidden),
             QStringList({u"filler"_qs, u"in.csv"_qs}));
}

void TestOutputFile::discardLeavesTargetUntouched()
{
    write(u"out.csv"_qs, "earlier");
    {
        OutputFile file(path(u"out.csv"_qs));
        QVERIFY2(file.open(), qPrintable(file.errorString()));
        QCOMPARE(file.device()->write("partial"), 7);
        QCOMPARE(entries(), QStringList({u"out.csv"_qs}));
    }
    QCOMPARE(read(u"out.csv"_qs), QByteArray("earlier"));
    QCOMPARE(entries(), QStringList({u"out.csv"_qs}));
}

void TestOutputFile::failedRenameLeavesNoTemporary()
{
    OutputFile file(path(u"out.csv"_qs));
    QVERIFY2(file.open(), qPrintable(file.errorString()));
    QCOMPARE(file.device()->write("content"), 7);
    QVERIFY(QDir(m_folder->path()).mkpath(u"out.csv/inside"_qs));
    QVERIFY(!file.commit());
    QVERIFY(file.errorString().startsWith(u"Cannot write \"%1\": "_qs.arg(path(u"out.csv"_qs))));
    QCOMPARE(entries(), QStringList({u"out.csv"_qs}));
    QVERIFY(QFileInfo(path(u"out.csv/inside"_qs)).isDir());
}

void TestOutputFile::pipeTargetIsNeverOpened()
{
    const QByteArray pipe = QFile::encodeName(path(u"pipe.csv"_qs));
    QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
    // Holding both ends would let a writer open the pipe at once and keeps what it wrote.
    const int ends = ::open(pipe.constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(ends >= 0);
    const auto closeEnds = qScopeGuard([ends] { ::close(ends); });
    write(u"in.xml"_qs, document);
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(u"pipe.csv"_qs), u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::WriteFailed);
    QCOMPARE(result.reason,
             u"Cannot write \"%1\": it is not a regular file (a pipe, socket or device is never "
             "opened)"_qs.arg(path(u"pipe.csv"_qs)));
    char received[64];
    QCOMPARE(::read(ends, received, sizeof received), ssize_t(-1));
    QVERIFY(!QFileInfo(path(u"pipe.csv"_qs)).isFile());
    QCOMPARE(entries(), QStringList({u"in.xml"_qs, u"pipe.csv"_qs}));
}

QTEST_GUILESS_MAIN(TestOutputFile)
#include "tst_outputfile.moc"
