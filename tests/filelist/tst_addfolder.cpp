#include "core/nativename.h"
#include "filelist/addfolder.h"
#include "filelist/addfolderfiles.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace AddFolder;
using namespace Qt::StringLiterals;

namespace {

// The rows relative to the root, for short comparisons.
QStringList relative(const QString &root, const QStringList &rows)
{
    QStringList result;
    for (const QString &row : rows) {
        if (!row.startsWith(root + u'/'))
            return rows;
        result.append(row.mid(root.size() + 1));
    }
    return result;
}

bool isRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class TestAddFolder : public QObject {
    Q_OBJECT

private slots:
    void levelOrderAcrossThreeLevels();
    void patterns_data();
    void patterns();
    void wildcard_data();
    void wildcard();
    void unsafeCharacters_data();
    void unsafeCharacters();
    void unsafeAndUndecodableNames_data();
    void unsafeAndUndecodableNames();
    void namedPipeIsNeitherListedNorOpened();
    void attributes_data();
    void attributes();
    void existingFileAttributes_data();
    void existingFileAttributes();
    void unreadableSubfolderIsDroppedWithItsFiles();
    void folderTurningIntoFileIsDroppedAndNextEntryFollows();
    void failureIsReportedOnlyBeforeTheFirstListing_data();
    void failureIsReportedOnlyBeforeTheFirstListing();
    void symbolicLinkLoopEnds();
    void folderMountedInsideItselfIsListedOnce();
    void linkedFolderIsListedOnce();
    void linksToFoldersInTheTreeAreNotEntered();
    void folderNamedWithQuestionMarkIsScanned();
    void eachFolderIsTestedOnce();
    void everyScanStartsAfresh();
    void rootGivesSingleSeparators();
    void stopsAtTheNextYield();
};

void TestAddFolder::levelOrderAcrossThreeLevels()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("z.xml"), QStringLiteral("a.xml"), QStringLiteral("Y/y.xml"),
              QStringLiteral("Y/Z/z.xml"), QStringLiteral("b/b.xml"), QStringLiteral("b/c/c.xml"),
              QStringLiteral("b/c/d/d.xml"), QStringLiteral("b/C2/e.xml")},
             "<a/>");

    QStringList folders{root + u'/'};
    FolderScan scan;
    scan.GetSubDirectories2016(folders, true);
    QCOMPARE(relative(root, folders),
             (QStringList{QString(), QStringLiteral("b/"), QStringLiteral("Y/"),
                          QStringLiteral("b/c/"), QStringLiteral("b/C2/"), QStringLiteral("Y/Z/"),
                          QStringLiteral("b/c/d/")}));

    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.xml"))),
             (QStringList{QStringLiteral("a.xml"), QStringLiteral("z.xml"),
                          QStringLiteral("b/b.xml"), QStringLiteral("Y/y.xml"),
                          QStringLiteral("b/c/c.xml"), QStringLiteral("b/C2/e.xml"),
                          QStringLiteral("Y/Z/z.xml"), QStringLiteral("b/c/d/d.xml")}));

    QStringList onlyFirstLevel{root + u'/'};
    FolderScan().GetSubDirectories2016(onlyFirstLevel, false);
    QCOMPARE(relative(root, onlyFirstLevel),
             (QStringList{QString(), QStringLiteral("b/"), QStringLiteral("Y/")}));
}

void TestAddFolder::patterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("xml") << QStringLiteral("*.xml")
                         << QStringList{QStringLiteral(".hidden.xml"), QStringLiteral("a.xml"),
                                        QStringLiteral("B.XML"), QStringLiteral("sub/c.Xml")};
    QTest::newRow("upper") << QStringLiteral("*.XML")
                           << QStringList{QStringLiteral(".hidden.xml"), QStringLiteral("a.xml"),
                                          QStringLiteral("B.XML"), QStringLiteral("sub/c.Xml")};
    QTest::newRow("all") << QStringLiteral("*.*")
                         << QStringList{QStringLiteral(".hidden.xml"), QStringLiteral("a.xml"),
                                        QStringLiteral("a.xml.bak"),   QStringLiteral("B.XML"),
                                        QStringLiteral("notes.txt"),   QStringLiteral("README"),
                                        QStringLiteral("sub/c.Xml")};
    QTest::newRow("bak") << QStringLiteral("*.bak") << QStringList{QStringLiteral("a.xml.bak")};
    QTest::newRow("none") << QStringLiteral("*.csv") << QStringList{};
}

void TestAddFolder::patterns()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("a.xml"), QStringLiteral("B.XML"), QStringLiteral("a.xml.bak"),
              QStringLiteral("README"), QStringLiteral("notes.txt"), QStringLiteral(".hidden.xml"),
              QStringLiteral("~lock.xml"), QStringLiteral("~README"), QStringLiteral("sub/c.Xml"),
              QStringLiteral("folder.xml/")},
             "<a/>");

    QCOMPARE(relative(root, filesOfFolderTree(root, pattern)), expected);
}

void TestAddFolder::wildcard_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matches");

    QTest::newRow("all-no-dot") << QStringLiteral("Makefile") << QStringLiteral("*.*") << true;
    QTest::newRow("all-dotfile") << QStringLiteral(".profile") << QStringLiteral("*.*") << true;
    QTest::newRow("case") << QStringLiteral("Ä.XmL") << QStringLiteral("*.xml") << true;
    QTest::newRow("case-non-ascii") << QStringLiteral("a.ÄÖ") << QStringLiteral("*.äö") << true;
    QTest::newRow("longer-ext") << QStringLiteral("a.xmlx") << QStringLiteral("*.xml") << false;
    QTest::newRow("no-ext") << QStringLiteral("xml") << QStringLiteral("*.xml") << false;
    QTest::newRow("question") << QStringLiteral("a.xsl") << QStringLiteral("*.x?l") << true;
    QTest::newRow("question-one") << QStringLiteral("a.xl") << QStringLiteral("*.x?l") << false;
    QTest::newRow("brackets-literal") << QStringLiteral("a.[x]") << QStringLiteral("*.[x]") << true;
    QTest::newRow("brackets-no-set") << QStringLiteral("a.x") << QStringLiteral("*.[x]") << false;
    QTest::newRow("star-dot-star-prefix")
            << QStringLiteral("data") << QStringLiteral("d*.*") << true;
    QTest::newRow("star-dot-star-prefix-miss")
            << QStringLiteral("info") << QStringLiteral("d*.*") << false;
}

void TestAddFolder::wildcard()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);
    QCOMPARE(matchesWildcard(name, pattern), matches);
}

void TestAddFolder::unsafeCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("unsafe");

    QTest::newRow("plain") << QStringLiteral("Reports 2021") << false;
    QTest::newRow("en-dash") << QStringLiteral("a\u2013b") << false;
    QTest::newRow("curly-quotes") << QStringLiteral("\u201cq\u201d") << false;
    QTest::newRow("euro") << QStringLiteral("\u20ac") << false;
    QTest::newRow("emoji") << QStringLiteral("\U0001F600") << false;
    QTest::newRow("tab") << QStringLiteral("a\tb") << true;
    QTest::newRow("question") << QStringLiteral("why?") << false;
    QTest::newRow("delete") << QStringLiteral("a\u007fb") << true;
    QTest::newRow("c1-first") << QStringLiteral("a\u0080") << true;
    QTest::newRow("c1-last") << QStringLiteral("a\u009f") << true;
    QTest::newRow("after-c1") << QStringLiteral("a\u00a0") << false;
}

void TestAddFolder::unsafeCharacters()
{
    QFETCH(QString, name);
    QFETCH(bool, unsafe);
    QCOMPARE(HasUnsafeCharacters(name), unsafe);
}

void TestAddFolder::unsafeAndUndecodableNames_data()
{
    QTest::addColumn<ScanNames>("scanNames");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("leftOut"); // reason number, then the path below the root

    const QString rawFolder = decodeNativeName("raw\xff");
    const QString rawFile = decodeNativeName("f\xfe.xml");
    // The window's rows need a text form: what has none is left out, and said so.
    QTest::newRow("textOnly") << ScanNames::TextOnly
                              << QStringList{QStringLiteral("ok\u2013dash/a.xml"),
                                             QStringLiteral("ok\u2013dash/x.xml")}
                              << QStringList{u"0 "_s + rawFolder, u"1 bad\u0085"_s,
                                             u"1 tab\there"_s, u"0 "_s + rawFile};
    QTest::newRow("keepBytes") << ScanNames::KeepBytes
                               << QStringList{rawFile,
                                              u"bad\u0085/b.xml"_s,
                                              u"ok\u2013dash/a.xml"_s,
                                              u"ok\u2013dash/x.xml"_s,
                                              rawFolder + u"/e.xml"_s,
                                              u"tab\there/d.xml"_s,
                                              u"bad\u0085/deeper/c.xml"_s}
                               << QStringList{};
}

void TestAddFolder::unsafeAndUndecodableNames()
{
    QFETCH(ScanNames, scanNames);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, leftOut);
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("ok\u2013dash/a.xml"), QStringLiteral("bad\u0085/b.xml"),
              QStringLiteral("bad\u0085/deeper/c.xml"), QStringLiteral("tab\there/d.xml")},
             "<a/>");
    // Names whose bytes are not UTF-8 have no text form on this platform.
    const QByteArray rootBytes = QFile::encodeName(root);
    QVERIFY(::mkdir(QByteArray(rootBytes + "/raw\xff").constData(), 0755) == 0);
    makeTree(root, {QStringLiteral("ok\u2013dash/x.xml")}, "<a/>");
    // QTemporaryDir cannot remove what it cannot name.
    const auto removeRaw = qScopeGuard([&] {
        ::unlink(QByteArray(rootBytes + "/raw\xff/e.xml").constData());
        ::unlink(QByteArray(rootBytes + "/f\xfe.xml").constData());
        ::rmdir(QByteArray(rootBytes + "/raw\xff").constData());
    });
    for (const char *name : {"/raw\xff/e.xml", "/f\xfe.xml"}) {
        const int descriptor = ::open(QByteArray(rootBytes + name).constData(),
                                      O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(descriptor >= 0);
        ::close(descriptor);
    }

    ScanRecord record;
    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.*"), {}, scanNames, &record)),
             expected);
    QStringList recorded;
    for (const ScanRecord::Entry &entry : std::as_const(record.entries))
        recorded.append(QString::number(int(entry.reason)) + u' '
                        + relative(root, {entry.path.path()}).value(0));
    QCOMPARE(recorded, leftOut);
}

void TestAddFolder::namedPipeIsNeitherListedNorOpened()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("a.xml"), QStringLiteral("sub/b.xml")}, "<a/>");
    QVERIFY(::mkfifo(QFile::encodeName(root + QStringLiteral("/pipe.xml")).constData(), 0644) == 0);
    QVERIFY(::mkfifo(QFile::encodeName(root + QStringLiteral("/sub/pipe")).constData(), 0644) == 0);

    QVERIFY(!IsExistingFile(root + QStringLiteral("/pipe.xml")));
    QCOMPARE(ListFiles(root, QStringLiteral("*.*")), QStringList{QStringLiteral("a.xml")});
    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.*"))),
             (QStringList{QStringLiteral("a.xml"), QStringLiteral("sub/b.xml")}));
}

void TestAddFolder::attributes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");

    QTest::newRow("file") << QStringLiteral("plain.xml") << 0;
    QTest::newRow("folder") << QStringLiteral("folder") << 16;
    QTest::newRow("folder-slash") << QStringLiteral("folder/") << 16;
    QTest::newRow("hidden-file") << QStringLiteral(".hidden") << 2;
    QTest::newRow("hidden-folder") << QStringLiteral(".cache") << 18;
    QTest::newRow("file-link") << QStringLiteral("file-link") << 1024;
    QTest::newRow("folder-link") << QStringLiteral("folder-link/") << 1040;
    QTest::newRow("broken-link") << QStringLiteral("broken-link") << 1024;
    QTest::newRow("read-only") << QStringLiteral("read-only.xml") << 1;
}

void TestAddFolder::attributes()
{
    QFETCH(QString, path);
    QFETCH(int, expected);
    if (qstrcmp(QTest::currentDataTag(), "read-only") == 0 && isRoot())
        QSKIP("Permission bits do not stop root from writing");
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    makeTree(dir.path(),
             {QStringLiteral("plain.xml"), QStringLiteral("folder/"), QStringLiteral(".hidden"),
              QStringLiteral(".cache/"), QStringLiteral("read-only.xml")},
             "<a/>");
    QVERIFY(QFile::link(root + QStringLiteral("plain.xml"), root + QStringLiteral("file-link")));
    QVERIFY(QFile::link(root + QStringLiteral("folder"), root + QStringLiteral("folder-link")));
    QVERIFY(QFile::link(root + QStringLiteral("gone"), root + QStringLiteral("broken-link")));
    QVERIFY(QFile::setPermissions(root + QStringLiteral("read-only.xml"), QFile::ReadOwner));

    QCOMPARE(attributesOf(root + path), expected);
}

void TestAddFolder::existingFileAttributes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected"); // -1: not an existing regular file

    QTest::newRow("file") << QStringLiteral("plain.xml") << 0;
    QTest::newRow("file-link") << QStringLiteral("file-link") << 1024;
    QTest::newRow("gone") << QStringLiteral("gone.xml") << -1;
    QTest::newRow("broken-link") << QStringLiteral("broken-link") << -1;
    QTest::newRow("folder") << QStringLiteral("folder") << -1;
    QTest::newRow("pipe") << QStringLiteral("pipe") << -1;
}

void TestAddFolder::existingFileAttributes()
{
    QFETCH(QString, path);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    makeTree(dir.path(), {QStringLiteral("plain.xml"), QStringLiteral("folder/")}, "<a/>");
    QVERIFY(QFile::link(root + QStringLiteral("plain.xml"), root + QStringLiteral("file-link")));
    QVERIFY(QFile::link(root + QStringLiteral("gone"), root + QStringLiteral("broken-link")));
    QVERIFY(::mkfifo(QFile::encodeName(root + QStringLiteral("pipe")).constData(), 0644) == 0);

    // A file that vanishes before it is examined gives no value and no failure.
    QCOMPARE(AddFolder::existingFileAttributes(root + path).value_or(-1), expected);
}

void TestAddFolder::unreadableSubfolderIsDroppedWithItsFiles()
{
    if (isRoot())
        QSKIP("Permission bits do not stop root from listing a folder");
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("a/a.xml"), QStringLiteral("b/b.xml"), QStringLiteral("b/deep/x.xml"),
              QStringLiteral("c/c.xml"), QStringLiteral("c/deep/y.xml")},
             "<a/>");
    const QString locked = root + QStringLiteral("/b");
    QVERIFY(QFile::setPermissions(locked, QFile::WriteOwner | QFile::ExeOwner));

    ScanRecord record;
    const QStringList rows
            = filesOfFolderTree(root, QStringLiteral("*.xml"), {}, ScanNames::TextOnly, &record);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(relative(root, rows),
             (QStringList{QStringLiteral("a/a.xml"), QStringLiteral("c/c.xml"),
                          QStringLiteral("c/deep/y.xml")}));
    QCOMPARE(record.entries.size(), 1);
    QCOMPARE(record.entries[0].path.path(), locked);
    QCOMPARE(record.entries[0].detail, QString::fromLocal8Bit(std::strerror(EACCES)));
}

void TestAddFolder::folderTurningIntoFileIsDroppedAndNextEntryFollows()
{
    // A folder replaced by a regular file just before it is listed fails for everyone, root
    // included: the same path-not-found failure as a folder that cannot be opened.
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("a/a.xml"), QStringLiteral("a/deep/x.xml"), QStringLiteral("b/b.xml"),
              QStringLiteral("b/deep/z.xml"), QStringLiteral("c/c.xml"),
              QStringLiteral("c/deep/y.xml")},
             "<a/>");
    const QString doomed = root + QStringLiteral("/b/");

    ScanHooks hooks;
    hooks.yield = [&](const QString &folder) {
        if (folder == doomed && QFileInfo(doomed).isDir()) {
            QDir(doomed).removeRecursively();
            QFile file(root + QStringLiteral("/b"));
            file.open(QIODevice::WriteOnly);
        }
        return true;
    };
    QStringList reports;
    hooks.report = [&](const QString &description, int) {
        reports.append(description);
    };

    QStringList folders{root + u'/'};
    ScanRecord record;
    FolderScan scan(hooks, ScanNames::TextOnly, &record);
    scan.GetSubDirectories2016(folders, true);
    QCOMPARE(reports, QStringList{});
    QCOMPARE(relative(root, folders),
             (QStringList{QString(), QStringLiteral("a/"), QStringLiteral("c/"),
                          QStringLiteral("a/deep/"), QStringLiteral("c/deep/")}));
    // Nothing is said at once, but the record names the folder for the report after the scan.
    QCOMPARE(record.entries.size(), 1);
    QCOMPARE(record.entries[0].reason, ScanRecord::Reason::NotListed);
    QCOMPARE(record.entries[0].path.path(), root + QStringLiteral("/b"));
}

void TestAddFolder::failureIsReportedOnlyBeforeTheFirstListing_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("yieldThrows");
    QTest::addColumn<QStringList>("reportedSteps");
    QTest::addColumn<QStringList>("remaining");

    // The first entry fails before any listing began: reported, and the entry stays.
    QTest::newRow("first-vanishes")
            << QStringLiteral("a/") << false << QStringList{QStringLiteral("116")}
            << QStringList{QStringLiteral("a/"), QStringLiteral("b/"), QStringLiteral("c/"),
                           QStringLiteral("b/bb/"), QStringLiteral("c/cc/")};
    // Once listing has begun a failure is quiet; a missing folder is removed from the list and
    // the entry after it is still worked on.
    QTest::newRow("later-vanishes")
            << QStringLiteral("b/") << false << QStringList{}
            << QStringList{QStringLiteral("a/"), QStringLiteral("c/"), QStringLiteral("a/aa/"),
                           QStringLiteral("c/cc/")};
    // Other failures end the listing of the folder but leave it in the list.
    QTest::newRow("first-yield-throws")
            << QStringLiteral("a/") << true << QStringList{QStringLiteral("114")}
            << QStringList{QStringLiteral("a/"), QStringLiteral("b/"), QStringLiteral("c/"),
                           QStringLiteral("b/bb/"), QStringLiteral("c/cc/")};
    QTest::newRow("later-yield-throws")
            << QStringLiteral("b/") << true << QStringList{}
            << QStringList{QStringLiteral("a/"), QStringLiteral("b/"), QStringLiteral("c/"),
                           QStringLiteral("a/aa/"), QStringLiteral("c/cc/")};
}

void TestAddFolder::failureIsReportedOnlyBeforeTheFirstListing()
{
    QFETCH(QString, failing);
    QFETCH(bool, yieldThrows);
    QFETCH(QStringList, reportedSteps);
    QFETCH(QStringList, remaining);
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("a/aa/"), QStringLiteral("b/bb/"), QStringLiteral("c/cc/")},
             "<a/>");
    const QString doomed = root + u'/' + failing;

    ScanHooks hooks;
    hooks.yield = [&](const QString &folder) {
        if (folder == doomed) {
            if (yieldThrows)
                throw std::runtime_error("event loop failed");
            QDir(doomed).removeRecursively();
        }
        return true;
    };
    QStringList steps;
    hooks.report = [&](const QString &, int step) {
        steps.append(QString::number(step));
    };

    QStringList folders{root + QStringLiteral("/a/"), root + QStringLiteral("/b/"),
                        root + QStringLiteral("/c/")};
    FolderScan scan(hooks);
    scan.GetSubDirectories2016(folders, true);
    QCOMPARE(steps, reportedSteps);
    QCOMPARE(relative(root, folders), remaining);
}

void TestAddFolder::symbolicLinkLoopEnds()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root,
             {QStringLiteral("top.xml"), QStringLiteral("a/a.xml"), QStringLiteral("a/b/b.xml")},
             "<a/>");
    QVERIFY(QFile::link(root, root + QStringLiteral("/a/b/up")));
    QVERIFY(QFile::link(root + QStringLiteral("/a"), root + QStringLiteral("/a/b/back")));
    QVERIFY(QFile::link(root + QStringLiteral("/self"), root + QStringLiteral("/self")));

    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.xml"))),
             (QStringList{QStringLiteral("top.xml"), QStringLiteral("a/a.xml"),
                          QStringLiteral("a/b/b.xml")}));
}

void TestAddFolder::folderMountedInsideItselfIsListedOnce()
{
    if (!isRoot())
        QSKIP("Only root can bind-mount a folder");
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("a.xml"), QStringLiteral("sub/loop/")}, "<a/>");
    const QString loop = root + QStringLiteral("/sub/loop");
    QCOMPARE(QProcess::execute(QStringLiteral("mount"), {QStringLiteral("--bind"), root, loop}), 0);
    const auto unmount = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("--lazy"), loop});
    });

    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.xml"))),
             QStringList{QStringLiteral("a.xml")});
}

void TestAddFolder::linkedFolderIsListedOnce()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("real/r.xml"), QStringLiteral("z/")}, "<a/>");
    QVERIFY(QFile::link(root + QStringLiteral("/real"), root + QStringLiteral("/z/shortcut")));
    QVERIFY(QFile::link(root + QStringLiteral("/real/r.xml"), root + QStringLiteral("/l.xml")));

    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.xml"))),
             (QStringList{QStringLiteral("l.xml"), QStringLiteral("real/r.xml")}));
    // A link given as the folder to scan is followed.
    QCOMPARE(filesOfFolderTree(root + QStringLiteral("/z/shortcut"), QStringLiteral("*.xml")),
             QStringList{root + QStringLiteral("/z/shortcut/r.xml")});
}

void TestAddFolder::linksToFoldersInTheTreeAreNotEntered()
{
    QTemporaryDir outer;
    QTemporaryDir elsewhere;
    const QString root = outer.path() + QStringLiteral("/tree");
    makeTree(outer.path(), {QStringLiteral("outside.xml"), QStringLiteral("tree/a.xml")}, "<a/>");
    makeTree(elsewhere.path(), {QStringLiteral("far.xml")}, "<a/>");
    QVERIFY(QFile::link(outer.path(), root + QStringLiteral("/up")));
    QVERIFY(QFile::link(elsewhere.path(), root + QStringLiteral("/far")));
    QVERIFY(QFile::link(outer.path() + QStringLiteral("/outside.xml"),
                        root + QStringLiteral("/l.xml")));

    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.xml"))),
             (QStringList{QStringLiteral("a.xml"), QStringLiteral("l.xml")}));
}

void TestAddFolder::folderNamedWithQuestionMarkIsScanned()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("why?/x.xml"), QStringLiteral("why?/deeper/y.xml")}, "<a/>");

    QCOMPARE(relative(root, filesOfFolderTree(root, QStringLiteral("*.xml"))),
             (QStringList{QStringLiteral("why?/x.xml"), QStringLiteral("why?/deeper/y.xml")}));
}

void TestAddFolder::eachFolderIsTestedOnce()
{
    // Five nested levels: every folder yields once for itself and once for its one subfolder,
    // the deepest only for itself.
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("1/2/3/4/")}, "<a/>");
    int yields = 0;
    ScanHooks hooks;
    hooks.yield = [&](const QString &) {
        ++yields;
        return true;
    };

    QStringList folders{root + u'/'};
    FolderScan(hooks).GetSubDirectories2016(folders, true);
    QCOMPARE(folders.size(), 5);
    QCOMPARE(yields, 9);
}

void TestAddFolder::everyScanStartsAfresh()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("a.xml"), QStringLiteral("sub/b.xml")}, "<a/>");
    const QStringList expected{root + QStringLiteral("/a.xml"),
                               root + QStringLiteral("/sub/b.xml")};
    QCOMPARE(filesOfFolderTree(root, QStringLiteral("*.xml")), expected);
    QCOMPARE(filesOfFolderTree(root, QStringLiteral("*.xml")), expected);
}

void TestAddFolder::rootGivesSingleSeparators()
{
    // The chosen root becomes the entry "//"; its rows and subfolders carry the doubled
    // separator until the row is cleaned.
    QCOMPARE(folderFileRow(QStringLiteral("/"), QStringLiteral("a.xml")), QStringLiteral("/a.xml"));
    QCOMPARE(folderFileRow(QStringLiteral("//tmp/"), QStringLiteral("a.xml")),
             QStringLiteral("/tmp/a.xml"));
    QVERIFY(isRootFolder(QStringLiteral("//")));
    QVERIFY(!isRootFolder(QStringLiteral("/tmp/")));

    QStringList folders{QStringLiteral("//")};
    FolderScan().GetSubDirectories2016(folders, false);
    QVERIFY(folders.size() > 1);
    QCOMPARE(folders.front(), QStringLiteral("//"));
    for (const QString &entry : std::as_const(folders).mid(1)) {
        QVERIFY2(entry.startsWith(QLatin1String("//")) && entry.endsWith(u'/'), qPrintable(entry));
        QVERIFY(!folderFileRow(entry.chopped(1), QStringLiteral("x"))
                         .contains(QLatin1String("//")));
    }
    QVERIFY(folders.contains(QStringLiteral("//tmp/")));
}

void TestAddFolder::stopsAtTheNextYield()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root, {QStringLiteral("a/a.xml"), QStringLiteral("b/b.xml")}, "<a/>");
    int yields = 0;
    ScanHooks hooks;
    hooks.yield = [&](const QString &) {
        return ++yields < 3;
    };

    QStringList folders{root + u'/'};
    FolderScan scan(hooks);
    scan.GetSubDirectories2016(folders, true);
    QVERIFY(scan.stopped());
    QCOMPARE(yields, 3);
    QCOMPARE(folders, QStringList{root + u'/'});
    QCOMPARE(filesOfFolderTree(root, QStringLiteral("*.*"), hooks), QStringList{});
}

QTEST_GUILESS_MAIN(TestAddFolder)
#include "tst_addfolder.moc"
