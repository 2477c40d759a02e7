#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestOpenWith : public QObject {
    Q_OBJECT

private slots:
    void filesAppendedFoldersScanned();
    void desktopEntryStartsInstalledWindow_data();
    void desktopEntryStartsInstalledWindow();
};

void TestOpenWith::filesAppendedFoldersScanned()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root + QStringLiteral("/tree"),
             {QStringLiteral("b.xml"), QStringLiteral("a.xml"), QStringLiteral("notes.txt"),
              QStringLiteral("sub/c.xml")},
             "<r/>");
    makeTree(root, {QStringLiteral("single.txt")}, "<r/>");
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root));
    WindowFixture fixture;
    auto *list = fixture.control<FileListView>("ListView1");
    list->appendRow(QStringLiteral("/kept/first.xml"));

    // After a link ".." is the folder above its target: link/../single.txt names no file.
    QVERIFY(QFile::link(root + QStringLiteral("/tree/sub"), root + QStringLiteral("/link")));
    fixture.window.openPaths({root + QStringLiteral("/single.txt"), QStringLiteral("tree"),
                              QStringLiteral("./gone.xml"), QStringLiteral("link/../single.txt")});
    QDir::setCurrent(previous);

    QCOMPARE(list->rows(),
             (QStringList{
                     QStringLiteral("/kept/first.xml"), root + QStringLiteral("/single.txt"),
                     root + QStringLiteral("/tree/a.xml"), root + QStringLiteral("/tree/b.xml"),
                     root + QStringLiteral("/tree/sub/c.xml"), root + QStringLiteral("/gone.xml"),
                     root + QStringLiteral("/link/../single.txt")}));
    QVERIFY(fixture.dialogs.allAnswersUsed());
}

void TestOpenWith::desktopEntryStartsInstalledWindow_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("execPrefix");
    QTest::newRow("plain") << u"usr"_s << u"usr"_s;
    QTest::newRow("quotedCharacters") << u"my apps $HOME `x` \"q\" 100%"_s
                                      << u"my apps \\\\$HOME \\\\`x\\\\` \\\\\"q\\\\\" 100%%"_s;
}

// The entry is written as the window is installed, so it names the program below the prefix
// given to that installation rather than the one the build was configured with.
void TestOpenWith::desktopEntryStartsInstalledWindow()
{
    QFETCH(QString, prefix);
    QFETCH(QString, execPrefix);
    QTemporaryDir dir;
    QProcess install;
    // A prefix relative to the working folder: the entry still names the program absolutely.
    install.setWorkingDirectory(dir.path());
    install.start(u"cmake"_s,
                  {u"--install"_s, QStringLiteral(QUILLMERE_BIN_DIR "/.."), u"--prefix"_s, prefix,
                   u"--component"_s, u"window"_s});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());

    QFile entry(dir.filePath(prefix + u"/share/applications/com.velmora.Quillmere.desktop"_s));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split(u'\n');
    const QString program = u"/lib/quillmere/quillmere"_s;
    QVERIFY(lines.contains(u"Exec=\""_s + dir.path() + u'/' + execPrefix + program + u"\" %F"_s));
    QVERIFY(lines.contains(u"TryExec="_s + dir.filePath(prefix) + program));
}

QTEST_MAIN(TestOpenWith)
#include "tst_openwith.moc"
