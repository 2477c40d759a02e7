#include "conversion/convertfile.h"
#include "core/applicationfolder.h"
#include "core/errorreport.h"
#include "extras/samplelist.h"
#include "shell/filelistview.h"
#include "shell/loadsamples.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

using Kind = ScriptedDialogs::Kind;

const QString Question = QStringLiteral(
        "Would you like this software to open the folder where these sample files are stored (so "
        "that you can view them before working with them)?");
const QString SnapshotKey = QStringLiteral("Snapshot");

} // namespace

class TestSamples : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void capture_data();
    void capture();
    void loadingTwiceAddsOnce();
    void removedSampleIsAddedAgainAtTheEnd();
    void rowDifferingInCaseDoesNotBlock();
    void onlyCapturedFilesThatStillExistAreLoaded();
    void listStoredElsewhereFoundByName();
    void folderWithJoinerLoads();
    void yesOpensTheSamplesFolder();
    void failureEndsTheHandler();
    void startCapturesUntilTheFolderHoldsFiles();
    void deliveredSamplesConvert();
    void deliveredDragPointerLoads();

private:
    QString sample(const QString &name) const { return m_samples + u'/' + name; }

    QTemporaryDir m_appFolder;
    QString m_samples;
};

void TestSamples::init()
{
    QVERIFY(m_appFolder.isValid());
    setApplicationFolderForTesting(m_appFolder.path());
    m_samples = m_appFolder.path() + QStringLiteral("/Samples");
    QDir(m_samples).removeRecursively();
}

void TestSamples::cleanup()
{
    setApplicationFolderForTesting(QString());
}

void TestSamples::capture_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QStringList>("captured");

    QTest::newRow("files") << QStringList{QStringLiteral("b.xml"), QStringLiteral("A.xml"),
                                          QStringLiteral(".hidden.xml"), QStringLiteral("notes")}
                           << true
                           << QStringList{QStringLiteral(".hidden.xml"), QStringLiteral("A.xml"),
                                          QStringLiteral("b.xml"), QStringLiteral("notes")};
    QTest::newRow("empty") << QStringList{} << true << QStringList{};
    QTest::newRow("missing") << QStringList{} << false << QStringList{};
}

void TestSamples::capture()
{
    QFETCH(QStringList, names);
    QFETCH(bool, folderExists);
    QFETCH(QStringList, captured);
    if (folderExists) {
        makeTree(m_samples, names, "<sample/>");
        QVERIFY(QDir().mkpath(sample(QStringLiteral("subfolder"))));
    }
    QTemporaryDir config;
    SettingsStore settings(config.filePath(QStringLiteral("settings.conf")));

    Main::CaptureSampleList(settings);
    QStringList expected;
    for (const QString &name : std::as_const(captured))
        expected.append(sample(name));
    // The key is written also when no file was found.
    QCOMPARE(settings.ReadSetting(SnapshotKey, QStringLiteral("missing")), expected.join(u'|'));
}

void TestSamples::loadingTwiceAddsOnce()
{
    makeTree(m_samples, {QStringLiteral("a.xml"), QStringLiteral("b.xml")}, "<sample/>");
    WindowFixture fixture;
    Main::CaptureSampleList(fixture.settings);
    fixture.dialogs.answerQuestion(false);
    fixture.dialogs.answerQuestion(false);
    fixture.window.PushButton7_Click();
    fixture.window.PushButton7_Click();

    QCOMPARE(fixture.control<FileListView>("ListView1")->rows(),
             (QStringList{sample(QStringLiteral("a.xml")), sample(QStringLiteral("b.xml"))}));
    QCOMPARE(fixture.dialogs.texts(Kind::Question), (QStringList{Question, Question}));
    QCOMPARE(fixture.dialogs.texts(Kind::OpenFolder), QStringList{});
    QVERIFY(fixture.dialogs.allAnswersUsed());
}

void TestSamples::removedSampleIsAddedAgainAtTheEnd()
{
    makeTree(m_samples, {QStringLiteral("a.xml"), QStringLiteral("b.xml")}, "<sample/>");
    WindowFixture fixture;
    Main::CaptureSampleList(fixture.settings);
    auto *list = fixture.control<FileListView>("ListView1");
    fixture.dialogs.answerQuestion(false);
    fixture.window.PushButton7_Click();
    list->removeRow(0);
    list->appendRow(QStringLiteral("/other/c.xml"));
    fixture.dialogs.answerQuestion(false);
    fixture.window.PushButton7_Click();

    QCOMPARE(list->rows(),
             (QStringList{sample(QStringLiteral("b.xml")), QStringLiteral("/other/c.xml"),
                          sample(QStringLiteral("a.xml"))}));
}

void TestSamples::rowDifferingInCaseDoesNotBlock()
{
    makeTree(m_samples, {QStringLiteral("a.xml")}, "<sample/>");
    WindowFixture fixture;
    Main::CaptureSampleList(fixture.settings);
    auto *list = fixture.control<FileListView>("ListView1");
    list->appendRow(sample(QStringLiteral("A.XML")));
    fixture.dialogs.answerQuestion(false);
    fixture.window.PushButton7_Click();

    QCOMPARE(list->rows(),
             (QStringList{sample(QStringLiteral("A.XML")), sample(QStringLiteral("a.xml"))}));
}

void TestSamples::onlyCapturedFilesThatStillExistAreLoaded()
{
    makeTree(m_samples, {QStringLiteral("a.xml"), QStringLiteral("b.xml")}, "<sample/>");
    WindowFixture fixture;
    Main::CaptureSampleList(fixture.settings);
    makeTree(m_samples, {QStringLiteral("added-later.xml")}, "<sample/>");
    QVERIFY(QFile::remove(sample(QStringLiteral("a.xml"))));
    fixture.dialogs.answerQuestion(false);
    fixture.window.PushButton7_Click();

    QCOMPARE(fixture.control<FileListView>("ListView1")->rows(),
             QStringList{sample(QStringLiteral("b.xml"))});
}

void TestSamples::listStoredElsewhereFoundByName()
{
    makeTree(m_samples, {QStringLiteral("a.xml"), QStringLiteral("c.xml")}, "<sample/>");
    QTemporaryDir before;
    makeTree(before.path(), {QStringLiteral("a.xml"), QStringLiteral("b.xml")}, "<sample/>");
    QTemporaryDir config;
    SettingsStore settings(config.filePath(QStringLiteral("settings.conf")));
    settings.WriteSetting(SnapshotKey,
                          before.filePath(QStringLiteral("a.xml")) + u'|'
                                  + before.filePath(QStringLiteral("b.xml")) + u'|'
                                  + sample(QStringLiteral("c.xml")));

    QCOMPARE(Main::storedSampleFiles(settings),
             (QStringList{sample(QStringLiteral("a.xml")), sample(QStringLiteral("c.xml"))}));
}

void TestSamples::folderWithJoinerLoads()
{
    const QString appFolder = m_appFolder.filePath(QStringLiteral("one|two"));
    setApplicationFolderForTesting(appFolder);
    m_samples = appFolder + QStringLiteral("/Samples");
    makeTree(m_samples, {QStringLiteral("a.xml"), QStringLiteral("b|c.xml")}, "<sample/>");
    QTemporaryDir config;
    SettingsStore settings(config.filePath(QStringLiteral("settings.conf")));
    Main::CaptureSampleList(settings);

    QCOMPARE(Main::storedSampleFiles(settings),
             (QStringList{sample(QStringLiteral("a.xml")), sample(QStringLiteral("b|c.xml"))}));
}

void TestSamples::yesOpensTheSamplesFolder()
{
    WindowFixture fixture;
    fixture.dialogs.answerQuestion(true);
    fixture.window.PushButton7_Click();

    QCOMPARE(fixture.control<FileListView>("ListView1")->rowCount(), 0);
    QCOMPARE(fixture.dialogs.texts(Kind::OpenFolder), QStringList{m_samples + u'/'});
}

void TestSamples::failureEndsTheHandler()
{
    WindowFixture fixture;
    fixture.dialogs.answerQuestion(true);
    fixture.dialogs.whileOpen = [](const ScriptedDialogs::Call &call) {
        if (call.kind == Kind::Question)
            throw std::runtime_error("The shell is gone");
    };
    fixture.window.PushButton7_Click();
    fixture.dialogs.whileOpen = nullptr;

    QCOMPARE(fixture.dialogs.errorReports(),
             QStringList{errorReportText(QStringLiteral("The shell is gone"),
                                         ProcedureTag::PushButton7Click, 100)});
    QCOMPARE(fixture.dialogs.texts(Kind::OpenFolder), QStringList{});
}

void TestSamples::startCapturesUntilTheFolderHoldsFiles()
{
    QVERIFY(QDir().mkpath(m_samples));
    WindowFixture fixture;
    for (int start = 0; start < 2; ++start) {
        fixture.window.Form_Load();
        QCOMPARE(fixture.settings.ReadSetting(SnapshotKey, QStringLiteral("missing")), QString());
    }
    makeTree(m_samples, {QStringLiteral("first.xml")}, "<sample/>");
    fixture.window.Form_Load();
    QCOMPARE(fixture.settings.ReadSetting(SnapshotKey, {}), sample(QStringLiteral("first.xml")));
    // Once a list is stored it is kept.
    makeTree(m_samples, {QStringLiteral("second.xml")}, "<sample/>");
    fixture.window.Form_Load();
    QCOMPARE(fixture.settings.ReadSetting(SnapshotKey, {}), sample(QStringLiteral("first.xml")));
}

void TestSamples::deliveredSamplesConvert()
{
    const QDir delivered(QStringLiteral(QUILLMERE_BIN_DIR "/Samples"));
    const QStringList names = delivered.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 5 && names.size() <= 8, qPrintable(names.join(u' ')));
    QTemporaryDir output;
    for (const QString &name : names) {
        QVERIFY(!name.contains(u'|'));
        const ConversionResult result
                = convertFile(delivered.filePath(name),
                              output.filePath(name + QStringLiteral(".csv")), QStringLiteral(","));
        QVERIFY2(result.converted(), qPrintable(name + u' ' + result.reason));
        QVERIFY(result.linesWritten > 0);
    }
}

void TestSamples::deliveredDragPointerLoads()
{
    const QImage pointer(QStringLiteral(QUILLMERE_BIN_DIR "/drag.ico"));
    QCOMPARE(pointer.size(), QSize(32, 32));
    QVERIFY(pointer.hasAlphaChannel());
    QCOMPARE(qAlpha(pointer.pixel(0, 0)), 0);
    QCOMPARE(pointer.pixel(16, 16), qRgb(0, 0, 0));
}

QTEST_MAIN(TestSamples)
#include "tst_samples.moc"
