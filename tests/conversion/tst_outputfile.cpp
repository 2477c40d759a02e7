#include "conversion/convertfile.h"
#include "conversion/files/inputfile.h"
#include "conversion/files/outputfile.h"
#include "conversion/flatten.h"
#include "core/failure.h"
#include "core/filename.h"
#include "support/testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

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
    void replacesAnEarlierOutput_data();
    void replacesAnEarlierOutput();
    void unreadableInput_data();
    void unreadableInput();
    void grownInputReadAsOpened_data();
    void grownInputReadAsOpened();
    void unwritableOutput_data();
    void unwritableOutput();
    void parseErrorKeepsEarlierOutput_data();
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
    void replacedFileKeepsOwnership_data();
    void replacedFileKeepsOwnership();
    void readOnlyOutputIsKept();
    void lockedFolderIsWrittenInPlace();
    void inPlaceRewrite_data();
    void inPlaceRewrite();
    void namedTemporaryOnFat_data();
    void namedTemporaryOnFat();
    void namedTemporaryRefusedAtCommit();
    void fullFatFolderTakesNoNewFile();
    void namedTemporaryWithoutProc_data();
    void namedTemporaryWithoutProc();
    void noDescriptorLeftOpen();
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

// Runs a tool the tests need (scripts/install-deps installs it); a failure fails the test.
void runTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    QVERIFY2(tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit
                     && tool.exitCode() == 0,
             qPrintable(program + u": "_qs + tool.errorString() + u' '
                        + QString::fromLocal8Bit(tool.readAll())));
}

// Whether a FAT file system can be mounted here through FUSE.
bool canMountFat()
{
    return runningAsRoot() && QFileInfo::exists(u"/dev/fuse"_qs);
}

// A FAT file system made in an image file and mounted through FUSE while this lives; a FAT
// file system has no unnamed files, as many network file systems have none.
class FatMount {
public:
    FatMount(const QString &image, const QString &mountPoint, const QStringList &mkfsOptions = {})
        : m_mountPoint(mountPoint)
    {
        QDir().mkpath(mountPoint);
        runTool(u"mkfs.vfat"_qs,
                QStringList{u"-C"_qs} + mkfsOptions + QStringList{image, u"4096"_qs});
        runTool(u"fusefat"_qs, {u"-o"_qs, u"rw+"_qs, image, mountPoint});
    }
    ~FatMount() { QProcess::execute(u"fusermount"_qs, {u"-u"_qs, m_mountPoint}); }
    FatMount(const FatMount &) = delete;
    FatMount &operator=(const FatMount &) = delete;

private:
    QString m_mountPoint;
};

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

QStringList openDescriptors()
{
    QStringList descriptors
            = QDir(u"/proc/self/fd"_qs)
                      .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    descriptors.sort();
    return descriptors;
}

// An ACL in the form the system keeps it, which makes the mode 0676: the owner and user 65532
// may read and write, the group may do anything, everyone else may read and write.
const char aclName[] = "system.posix_acl_access";
const QByteArray earlierAcl = QByteArray::fromHex("02000000"
                                                  "01000600ffffffff" // owner rw
                                                  "02000600fcff0000" // user 65532 rw
                                                  "04000700ffffffff" // group rwx
                                                  "10000700ffffffff" // mask rwx
                                                  "20000600ffffffff"); // others rw

QByteArray attribute(const QByteArray &path, const char *name)
{
    QByteArray value(256, '\0');
    const ssize_t size
            = ::getxattr(path.constData(), name, value.data(), std::size_t(value.size()));
    return size < 0 ? QByteArray() : value.left(size);
}

// Runs the process as another user and group until destroyed.
class EffectiveUser {
public:
    explicit EffectiveUser(uint id)
    {
        if (id == 0)
            return;
        m_changed = ::setegid(gid_t(id)) == 0 && ::seteuid(uid_t(id)) == 0;
        QVERIFY(m_changed);
    }
    ~EffectiveUser()
    {
        if (m_changed && (::seteuid(0) != 0 || ::setegid(0) != 0))
            qFatal("cannot become root again");
    }

private:
    bool m_changed = false;
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

void TestOutputFile::replacesAnEarlierOutput_data()
{
    QTest::addColumn<QString>("name"); // without extension
    QTest::newRow("plain") << u"in"_qs;
    // A temporary name holds the target's, cut short between two characters.
    QTest::newRow("longAstral") << QString(60, u'x').replace(u"x"_qs, u"\U0001F4A9"_qs);
}

void TestOutputFile::replacesAnEarlierOutput()
{
    QFETCH(QString, name);
    write(name + u".xml"_qs, document);
    write(name + u".csv"_qs, QByteArray(100000, 'o'));
    const ConversionResult result
            = convertFile(path(name + u".xml"_qs), path(name + u".csv"_qs), u","_qs);
    QVERIFY2(result.converted(), qPrintable(result.reason));
    QCOMPARE(read(name + u".csv"_qs), documentLines);
    QCOMPARE(entries(), QStringList({name + u".csv"_qs, name + u".xml"_qs}));
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

void TestOutputFile::grownInputReadAsOpened_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<qint64>("lines");
    QTest::newRow("small") << document << 2LL;
    QTest::newRow("large") << largeDocument() << 40000LL;
}

// A file that grows while it is converted (a log being written) is read as it was when opened.
void TestOutputFile::grownInputReadAsOpened()
{
    QFETCH(QByteArray, xml);
    QFETCH(qint64, lines);
    write(u"in.xml"_qs, xml);
    InputFile input(path(u"in.xml"_qs));
    QVERIFY(input.open());
    QFile grown(path(u"in.xml"_qs));
    QVERIFY(grown.open(QIODevice::Append));
    QCOMPARE(grown.write("<more/>"), 7);
    grown.close();
    QByteArray lineBytes;
    QBuffer output(&lineBytes);
    output.open(QIODevice::WriteOnly);
    const ConversionResult result = ConvertToCSV(input, &output, u","_qs);
    QVERIFY2(result.converted(), qPrintable(result.reason));
    QCOMPARE(result.linesWritten, lines);
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

void TestOutputFile::parseErrorKeepsEarlierOutput_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<ThreadPlan>("plan");
    QTest::newRow("oneThread") << QByteArray("<r><a>x</r>") << ThreadPlan::OneThread;
    // A megabyte of lines has gone through the walk's thread into the file before the fault.
    QTest::newRow("twoThreadsFaultAtTheEnd")
            << largeDocument().replace("</records>", "</record>") << ThreadPlan::TwoThreads;
}

void TestOutputFile::parseErrorKeepsEarlierOutput()
{
    QFETCH(QByteArray, xml);
    QFETCH(ThreadPlan, plan);
    write(u"in.xml"_qs, xml);
    write(u"in.csv"_qs, "earlier");
    CsvFormat format;
    const ConversionResult result = convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), format,
                                                nullptr, InputKinds::Any, plan);
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

void TestOutputFile::replacedFileKeepsOwnership_data()
{
    QTest::addColumn<uint>("writer"); // the conversion's effective user and group
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("aclKept");
    // The earlier file belongs to 65533:65533, mode 0676, and carries an attribute and an ACL.
    QTest::newRow("keptByRoot") << 0u << 65533u << 0676u << true;
    // Another user may write the file but not give it away: the group, now the writer's, gets
    // no more than everyone else, and the ACL, written for the earlier group, is left out.
    QTest::newRow("groupNotKept") << 65534u << 65534u << 0666u << false;
}

void TestOutputFile::replacedFileKeepsOwnership()
{
    QFETCH(uint, writer);
    QFETCH(uint, owner);
    QFETCH(uint, mode);
    QFETCH(bool, aclKept);
    if (!runningAsRoot())
        QSKIP("giving a file to another user needs root");
    write(u"in.xml"_qs, document);
    write(u"in.csv"_qs, "earlier");
    QVERIFY(QFile::setPermissions(m_folder->path(), QFileDevice::Permissions(0x7777)));
    const QByteArray target = QFile::encodeName(path(u"in.csv"_qs));
    QCOMPARE(::chown(target.constData(), 65533, 65533), 0);
    QCOMPARE(::setxattr(target.constData(), "user.origin", "earlier", 7, 0), 0);
    QCOMPARE(::setxattr(target.constData(), aclName, earlierAcl.constData(),
                        std::size_t(earlierAcl.size()), 0),
             0);

    ConversionResult result;
    {
        const EffectiveUser as(writer);
        result = convertFile(path(u"in.xml"_qs), path(u"in.csv"_qs), u","_qs);
    }
    QVERIFY2(result.converted(), qPrintable(result.reason));
    QCOMPARE(read(u"in.csv"_qs), documentLines);
    struct stat status = {};
    QCOMPARE(::stat(target.constData(), &status), 0);
    QCOMPARE(uint(status.st_uid), owner);
    QCOMPARE(uint(status.st_gid), owner);
    QCOMPARE(uint(status.st_mode & 07777), mode);
    QCOMPARE(attribute(target, "user.origin"), QByteArray("earlier"));
    QCOMPARE(attribute(target, aclName), aclKept ? earlierAcl : QByteArray());
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

void TestOutputFile::inPlaceRewrite_data()
{
    QTest::addColumn<QByteArray>("earlier");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("swapForLink"); // the target becomes a link after open()
    QTest::addColumn<QString>("temporaryFolder"); // the TMPDIR of the run, under the test folder
    QTest::addColumn<QString>("reason"); // empty when committed
    QTest::addColumn<QByteArray>("after");

    const QByteArray longer(5000, 'e');
    QTest::newRow("longerEarlierIsCut")
            << longer << documentLines << false << QString() << QString() << documentLines;
    QTest::newRow("swappedForLink")
            << longer << documentLines << true << QString()
            << u"a symbolic link has this name; it is never followed"_qs << QByteArray("yours");
    // The file system has no room for the longer content either.
    QTest::newRow("noRoom") << QByteArray(1000, 'e') << QByteArray(100000, 'n') << false
                            << QString()
                            << u"no room for the new content, the earlier file is kept (No "
                               "space left on device)"_qs
                            << QByteArray(1000, 'e');
    QTest::newRow("temporaryFolderMissing")
            << QByteArray("kept") << documentLines << false << u"missing"_qs
            << u"the folder allows no new file, and the temporary folder %1/missing, where the "
               "file is made before it is copied over the earlier one, cannot be used (No such "
               "file or directory)"_qs
            << QByteArray("kept");
}

void TestOutputFile::inPlaceRewrite()
{
    QFETCH(QByteArray, earlier);
    QFETCH(QByteArray, content);
    QFETCH(bool, swapForLink);
    QFETCH(QString, temporaryFolder);
    QFETCH(QString, reason);
    QFETCH(QByteArray, after);
    // A file system out of inodes refuses the new file, so the target is rewritten in place.
    if (!runningAsRoot())
        QSKIP("mounting a small file system needs root");
    const QByteArray small = QFile::encodeName(path(u"small"_qs));
    QVERIFY(QDir(m_folder->path()).mkdir(u"small"_qs));
    if (::mount("tmpfs", small.constData(), "tmpfs", 0, "size=64k,nr_inodes=3") != 0)
        QSKIP("no tmpfs can be mounted here");
    const auto unmount = qScopeGuard([&] { ::umount2(small.constData(), MNT_DETACH); });
    write(u"small/out.csv"_qs, earlier);
    write(u"small/filler"_qs, {});
    write(u"yours.txt"_qs, "yours");

    const QByteArray tmpdir = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] { qputenv("TMPDIR", tmpdir); });
    if (!temporaryFolder.isEmpty())
        qputenv("TMPDIR", QFile::encodeName(path(temporaryFolder)));
    reason.replace(u"%1"_qs, m_folder->path());

    OutputFile file(path(u"small/out.csv"_qs));
    const bool opened = file.open();
    if (!temporaryFolder.isEmpty())
        QCOMPARE(opened, false);
    else
        QVERIFY2(opened, qPrintable(file.errorString()));
    if (opened)
        QCOMPARE(file.device()->write(content), content.size());
    if (swapForLink) {
        QVERIFY(QFile::remove(path(u"small/out.csv"_qs)));
        QVERIFY(QFile::link(path(u"yours.txt"_qs), path(u"small/out.csv"_qs)));
    }
    QCOMPARE(opened && file.commit(), reason.isEmpty());
    if (!reason.isEmpty())
        QCOMPARE(file.errorString(),
                 u"Cannot write \"%1\": %2"_qs.arg(path(u"small/out.csv"_qs), reason));
    QCOMPARE(read(u"small/out.csv"_qs), after);
    QCOMPARE(read(u"yours.txt"_qs), QByteArray("yours"));
    QCOMPARE(QDir(path(u"small"_qs))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                | QDir::NoDotAndDotDot),
             QStringList({u"filler"_qs, u"out.csv"_qs}));
}

void TestOutputFile::namedTemporaryOnFat_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason"); // after "Cannot write ..." for a write failure
    QTest::addColumn<QByteArray>("after"); // the output's content afterwards
    const int converted = int(ConversionResult::Status::Converted);
    const int writeFailed = int(ConversionResult::Status::WriteFailed);

    QTest::newRow("newFile") << u"in.xml"_qs << u"fat/new.csv"_qs << converted << QString()
                             << documentLines;
    QTest::newRow("replacesEarlier")
            << u"in.xml"_qs << u"fat/earlier.csv"_qs << converted << QString() << documentLines;
    QTest::newRow("malformedKeepsEarlier")
            << u"bad.xml"_qs << u"fat/earlier.csv"_qs << int(ConversionResult::Status::LoadFailed)
            << u"mismatched tag"_qs << QByteArray("an earlier, longer content");
    QTest::newRow("folderInTheWay") << u"in.xml"_qs << u"fat/folder.csv"_qs << writeFailed
                                    << u"a folder has this name"_qs << QByteArray("(cannot read)");
    QTest::newRow("inputItself") << u"fat/data.csv"_qs << u"fat/data.csv"_qs << writeFailed
                                 << u"it is the input file itself"_qs << document;
}

// A FAT file system has no unnamed files: the content gets a hidden name beside the target.
void TestOutputFile::namedTemporaryOnFat()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(QByteArray, after);
    if (!canMountFat())
        QSKIP("mounting a FAT file system through FUSE needs root and /dev/fuse");
    const QString fat = path(u"fat"_qs);
    const FatMount mount(path(u"fat.img"_qs), fat);
    write(u"in.xml"_qs, document);
    write(u"bad.xml"_qs, "<r><a>x</r>");
    write(u"fat/data.csv"_qs, document);
    write(u"fat/earlier.csv"_qs, "an earlier, longer content");
    QVERIFY(QDir(fat).mkdir(u"folder.csv"_qs));
    const QStringList before = QDir(fat).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                   | QDir::NoDotAndDotDot);
    // The window's check that the folder takes a new file, which leaves nothing behind.
    QVERIFY(folderAcceptsNewFile(FileName::fromPath(fat)));

    const ConversionResult result = convertFile(path(input), path(output), u","_qs);
    QCOMPARE(int(result.status), status);
    if (status == int(ConversionResult::Status::WriteFailed))
        QCOMPARE(result.reason, u"Cannot write \"%1\": %2"_qs.arg(path(output), reason));
    else if (!reason.isEmpty())
        QCOMPARE(result.reason, reason);
    QCOMPARE(read(output), after);
    QStringList expected = before;
    if (!before.contains(QFileInfo(output).fileName())) {
        expected << QFileInfo(output).fileName();
        expected.sort();
    }
    QCOMPARE(QDir(fat).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                 | QDir::NoDotAndDotDot),
             expected);
}

// What takes the output's name while the content is made is looked at again before the
// hidden file takes its place: a folder there is refused, and the hidden file goes.
void TestOutputFile::namedTemporaryRefusedAtCommit()
{
    if (!canMountFat())
        QSKIP("mounting a FAT file system through FUSE needs root and /dev/fuse");
    const QString fat = path(u"fat"_qs);
    const FatMount mount(path(u"fat.img"_qs), fat);

    OutputFile file(path(u"fat/out.csv"_qs));
    QVERIFY2(file.open(), qPrintable(file.errorString()));
    QCOMPARE(file.device()->write(documentLines), documentLines.size());
    QVERIFY(QDir(fat).mkdir(u"out.csv"_qs));
    QVERIFY(!file.commit());
    QCOMPARE(file.errorString(),
             u"Cannot write \"%1\": a folder has this name"_qs.arg(path(u"fat/out.csv"_qs)));
    QCOMPARE(QDir(fat).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"out.csv"_qs});
}

// A FAT root folder holds a fixed number of entries: once they are taken, the folder check
// that the window makes before a run says no, and leaves nothing behind.
void TestOutputFile::fullFatFolderTakesNoNewFile()
{
    if (!canMountFat())
        QSKIP("mounting a FAT file system through FUSE needs root and /dev/fuse");
    const QString fat = path(u"fat"_qs);
    // Room for 16 entries in the root folder, which long names take several of.
    const FatMount mount(path(u"fat.img"_qs), fat, {u"-r"_qs, u"16"_qs});
    QVERIFY(folderAcceptsNewFile(FileName::fromPath(fat)));
    QStringList made;
    for (int i = 0; QFile(fat + u"/taken%1.txt"_qs.arg(i)).open(QIODevice::WriteOnly); ++i)
        made << u"taken%1.txt"_qs.arg(i);
    QVERIFY(!made.isEmpty());

    QVERIFY(!folderAcceptsNewFile(FileName::fromPath(fat)));
    made.sort();
    QCOMPARE(QDir(fat).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), made);
}

void TestOutputFile::namedTemporaryWithoutProc_data()
{
    QTest::addColumn<QString>("target"); // what stands at the output's name
    QTest::addColumn<int>("mode"); // the temporary file's mode while the run waits; -1: none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("reason");
    const int usual = 0666 & ~int(currentUmask());

    QTest::newRow("newFile") << u"none"_qs << usual << 0 << QByteArray();
    QTest::newRow("keepsMode") << u"file0600"_qs << 0600 << 0 << QByteArray();
    QTest::newRow("link") << u"link"_qs << -1 << 1
                          << QByteArray("a symbolic link has this name; it is never followed");
    QTest::newRow("pipe") << u"pipe"_qs << -1 << 1
                          << QByteArray("it is not a regular file (a pipe, socket or device is "
                                        "never opened)");
    QTest::newRow("readOnly") << u"readOnly"_qs << -1 << 1 << QByteArray("Operation not permitted");
}

// Without /proc an unnamed file cannot be linked in, so the content gets a hidden name from the
// start; the command line runs in a mount namespace of its own without /proc.
void TestOutputFile::namedTemporaryWithoutProc()
{
    QFETCH(QString, target);
    QFETCH(int, mode);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, reason);
    if (!runningAsRoot())
        QSKIP("a mount namespace without /proc needs root");
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reads its options and threads under /proc");
#endif
    const QByteArray input = QFile::encodeName(path(u"in.xml"_qs));
    const QByteArray output = QFile::encodeName(path(u"in.csv"_qs));
    QCOMPARE(::mkfifo(input.constData(), 0644), 0);
    write(u"yours.txt"_qs, "yours");
    if (target == u"file0600" || target == u"readOnly") {
        write(u"in.csv"_qs, "earlier");
        QCOMPARE(::chmod(output.constData(), 0600), 0);
    } else if (target == u"link") {
        QVERIFY(QFile::link(path(u"yours.txt"_qs), path(u"in.csv"_qs)));
    } else if (target == u"pipe") {
        QCOMPARE(::mkfifo(output.constData(), 0644), 0);
    }
    if (target == u"readOnly")
        QVERIFY(setUnwritable(path(u"in.csv"_qs)));
    const auto writable = qScopeGuard([&] {
        if (target == u"readOnly")
            setWritable(path(u"in.csv"_qs));
    });

    QProcess run;
    run.setWorkingDirectory(m_folder->path());
    run.start(u"unshare"_qs,
              {u"--mount"_qs, u"sh"_qs, u"-c"_qs, u"umount -l /proc && exec \"$0\" \"$@\""_qs,
               QStringLiteral(QUILLMERE_BIN_DIR "/quillmere-cli"), u"in.xml"_qs});
    QVERIFY(run.waitForStarted());
    int feed = -1;
    const auto stop = qScopeGuard([&] {
        if (feed >= 0)
            ::close(feed);
        run.kill();
        run.waitForFinished();
    });
    // Evaluated again after success: opened once only.
    QTRY_VERIFY(feed >= 0
                || (feed = ::open(input.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0);
    if (mode >= 0) {
        QTRY_COMPARE(entries().filter(u".part"_qs).size(), 1);
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(path(entries().filter(u".part"_qs).first())).constData(),
                        &status),
                 0);
        QCOMPARE(int(status.st_mode & 0777), mode);
    }
    QCOMPARE(::write(feed, document.constData(), std::size_t(document.size())),
             ssize_t(document.size()));
    ::close(std::exchange(feed, -1));
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitCode(), exitCode);
    const QByteArray messages = run.readAllStandardError();
    QVERIFY2(reason.isEmpty() ? messages.isEmpty() : messages.contains(reason), messages);
    if (exitCode == 0)
        QCOMPARE(read(u"in.csv"_qs), documentLines);
    if (target == u"file0600") {
        struct stat status = {};
        QCOMPARE(::stat(output.constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 0777), 0600);
    }
    QCOMPARE(read(u"yours.txt"_qs), QByteArray("yours"));
    QCOMPARE(entries().filter(u".part"_qs), QStringList());
}

// Every descriptor a conversion opens is closed again, whatever the outcome.
void TestOutputFile::noDescriptorLeftOpen()
{
    write(u"in.xml"_qs, document);
    write(u"bad.xml"_qs, "<r><a>x</r>");
    write(u"data.csv"_qs, document);
    write(u"earlier.csv"_qs, "earlier");
    QVERIFY(QDir(m_folder->path()).mkdir(u"folder.csv"_qs));
    QVERIFY(QFile::link(path(u"in.xml"_qs), path(u"link.csv"_qs)));
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"pipe.csv"_qs)).constData(), 0644), 0);
    const QStringList before = openDescriptors();
    const QList<std::pair<QString, QString>> conversions = {
            {u"in.xml"_qs, u"new.csv"_qs},     {u"in.xml"_qs, u"earlier.csv"_qs},
            {u"bad.xml"_qs, u"bad.csv"_qs},    {u"missing.xml"_qs, u"missing.csv"_qs},
            {u"in.xml"_qs, u"folder.csv"_qs},  {u"in.xml"_qs, u"link.csv"_qs},
            {u"in.xml"_qs, u"pipe.csv"_qs},    {u"data.csv"_qs, u"data.csv"_qs},
            {u"in.xml"_qs, u"none/in.csv"_qs},
    };
    for (const auto &[input, output] : conversions)
        convertFile(path(input), path(output), u","_qs);
    QCOMPARE(openDescriptors(), before);
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
