#include "filelist/openfilesresult.h"
#include "shell/filelistview.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString nul(const char *text)
{
    return QString::fromLatin1(text).replace(u'|', QChar::Null);
}

QStringList names(const char *spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestAddFiles : public QObject {
    Q_OBJECT

private slots:
    void dialogResultAddsRows_data();
    void dialogResultAddsRows();
    void dialogShowsTitleAndFilter();
    void sameFileTwiceGivesTwoRows();
    void resultFromChosenFiles_data();
    void resultFromChosenFiles();
};

void TestAddFiles::dialogResultAddsRows_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("cancel") << QString() << names("/old.xml");
    QTest::newRow("oneFile") << u"/data/a b.xml"_s
                             << QStringList{u"/old.xml"_s, u"/data/a b.xml"_s};
    // One file is taken exactly as returned, without cleaning.
    QTest::newRow("oneFileUncleaned") << u"/data//a.xml"_s << names("/old.xml /data//a.xml");
    QTest::newRow("threeInFolder") << nul("/data|c.xml|a.xml|b.xml")
                                   << names("/old.xml /data/c.xml /data/a.xml /data/b.xml");
    QTest::newRow("severalAtRoot") << nul("/|a.xml|b.xml") << names("/old.xml /a.xml /b.xml");
    QTest::newRow("severalFolders")
            << nul("|/x/a.xml|/y/b.xml|/x/c.xml") << names("/old.xml /x/a.xml /y/b.xml /x/c.xml");
    QTest::newRow("folderOnly") << nul("/data|") << names("/old.xml /data/");
}

void TestAddFiles::dialogResultAddsRows()
{
    QFETCH(QString, result);
    QFETCH(QStringList, expected);
    WindowFixture fixture;
    auto *list = fixture.control<FileListView>("ListView1");
    list->appendRow(u"/old.xml"_s);
    fixture.dialogs.answerOpenFiles(result);

    fixture.control<QPushButton>("PushButton1")->click();
    QCOMPARE(list->rows(), expected);
    QVERIFY(fixture.dialogs.allAnswersUsed());
    QCOMPARE(fixture.dialogs.calls().size(), 1);
}

void TestAddFiles::dialogShowsTitleAndFilter()
{
    WindowFixture fixture;
    fixture.dialogs.answerOpenFiles({});
    fixture.control<QPushButton>("PushButton1")->click();
    QCOMPARE(fixture.dialogs.calls().size(), 1);
    QCOMPARE(fixture.dialogs.calls().front().kind, ScriptedDialogs::Kind::OpenFiles);
    QCOMPARE(fixture.dialogs.calls().front().texts,
             QStringList({u"Add File(s) - Hold Ctrl to select multiple files"_s,
                          u"XML Files (*.xml)"_s}));
}

void TestAddFiles::sameFileTwiceGivesTwoRows()
{
    WindowFixture fixture;
    fixture.dialogs.answerOpenFiles(u"/data/a.xml"_s);
    fixture.dialogs.answerOpenFiles(u"/data/a.xml"_s);
    auto *button = fixture.control<QPushButton>("PushButton1");
    button->click();
    button->click();
    QCOMPARE(fixture.control<FileListView>("ListView1")->rows(), names("/data/a.xml /data/a.xml"));
}

void TestAddFiles::resultFromChosenFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none") << QStringList() << QString();
    QTest::newRow("one") << names("/data/a.xml") << u"/data/a.xml"_s;
    QTest::newRow("sameFolder") << names("/data/b.xml /data/a.xml") << nul("/data|b.xml|a.xml");
    QTest::newRow("root") << names("/a.xml /b.xml") << nul("/|a.xml|b.xml");
    QTest::newRow("severalFolders")
            << names("/x/a.xml /y/b.xml /x/c.xml") << nul("|/x/a.xml|/y/b.xml|/x/c.xml");
    QTest::newRow("sameNameInTwoFolders")
            << names("/x/a.xml /x/sub/a.xml") << nul("|/x/a.xml|/x/sub/a.xml");
}

void TestAddFiles::resultFromChosenFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QString, expected);
    QCOMPARE(openFilesResult(files), QDir::toNativeSeparators(expected));
}

QTEST_MAIN(TestAddFiles)
#include "tst_addfiles.moc"
