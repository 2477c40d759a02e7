#include "core/errorreport.h"
#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace {

const QString Reminder = QStringLiteral("You forgot to input a value.");

void showActive(WindowFixture &fixture)
{
    fixture.window.show();
    fixture.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
}

// Makes every later write fail: the store's folder becomes a regular file.
void blockTheStore(WindowFixture &fixture)
{
    QFile blocker(fixture.configFolder.filePath(QStringLiteral("Velmora")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
}

} // namespace

class TestOutputOptions : public QObject {
    Q_OBJECT

private slots:
    void delimiterClickStoresFiveKeys_data();
    void delimiterClickStoresFiveKeys();
    void saveOptionSwitchesTheFolderRow();
    void textChangesAreStored();
    void settingTheSameTextStoresNothing();
    void failedWritesLeaveTheWindowWorking();
    void browseForOutputFolder_data();
    void browseForOutputFolder();
    void browseStartsAtTheLastFolder();
    void emptyText2OnLeaving_data();
    void emptyText2OnLeaving();
    void text2IgnoresTheWindowLosingActivation();
    void text2IgnoresItsContextMenu();
};

void TestOutputOptions::delimiterClickStoresFiveKeys_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("stored");
    const QString t = QStringLiteral("True");
    const QString f = QStringLiteral("False");
    QTest::newRow("comma") << QStringLiteral("Option1") << QStringList{t, f, f, f, f};
    QTest::newRow("semicolon") << QStringLiteral("Option3") << QStringList{f, f, t, f, f};
    QTest::newRow("tab") << QStringLiteral("Option4") << QStringList{f, f, f, t, f};
    QTest::newRow("other") << QStringLiteral("Option5") << QStringList{f, f, f, f, t};
}

void TestOutputOptions::delimiterClickStoresFiveKeys()
{
    QFETCH(QString, option);
    QFETCH(QStringList, stored);
    WindowFixture fixture;
    showActive(fixture);
    QTest::mouseClick(fixture.control<QRadioButton>(qPrintable(option)), Qt::LeftButton);

    QStringList keys = fixture.storedKeys();
    keys.sort();
    QCOMPARE(keys,
             (QStringList{QStringLiteral("Option1"), QStringLiteral("Option2"),
                          QStringLiteral("Option3"), QStringLiteral("Option4"),
                          QStringLiteral("Option5")}));
    QStringList values;
    for (const QString &key : keys)
        values.append(fixture.storedValue(key));
    QCOMPARE(values, stored);
    QVERIFY(fixture.control<QLineEdit>("Text2")->isEnabled());
}

void TestOutputOptions::saveOptionSwitchesTheFolderRow()
{
    WindowFixture fixture;
    showActive(fixture);
    auto *frame4 = fixture.control<QGroupBox>("Frame4");

    QTest::mouseClick(fixture.control<QRadioButton>("Option7"), Qt::LeftButton);
    QCOMPARE(fixture.storedValue(QStringLiteral("Option6")), QStringLiteral("False"));
    QCOMPARE(fixture.storedValue(QStringLiteral("Option7")), QStringLiteral("True"));
    QVERIFY(!frame4->isEnabled());
    QVERIFY(!fixture.control<QLineEdit>("Text1")->isEnabled());
    QVERIFY(!fixture.control<QPushButton>("PushButton9")->isEnabled());

    QTest::mouseClick(fixture.control<QRadioButton>("Option6"), Qt::LeftButton);
    QCOMPARE(fixture.storedValue(QStringLiteral("Option6")), QStringLiteral("True"));
    QCOMPARE(fixture.storedValue(QStringLiteral("Option7")), QStringLiteral("False"));
    QVERIFY(frame4->isEnabled());
    QVERIFY(fixture.control<QPushButton>("PushButton9")->isEnabled());
}

void TestOutputOptions::textChangesAreStored()
{
    WindowFixture fixture;
    showActive(fixture);
    auto *text1 = fixture.control<QLineEdit>("Text1");
    text1->setFocus();
    QTest::keyClicks(text1, QStringLiteral("/data/out "));
    QCOMPARE(fixture.storedValue(QStringLiteral("Text1")), QStringLiteral("/data/out "));

    auto *text2 = fixture.control<QLineEdit>("Text2");
    text2->setText(QStringLiteral(" ; "));
    QCOMPARE(fixture.storedValue(QStringLiteral("Other")), QStringLiteral(" ; "));
    text2->clear();
    QCOMPARE(fixture.storedKeys().count(QStringLiteral("Other")), 1);
    QCOMPARE(fixture.storedValue(QStringLiteral("Other")), QString());
}

void TestOutputOptions::settingTheSameTextStoresNothing()
{
    WindowFixture fixture;
    fixture.control<QLineEdit>("Text2")->setText(QStringLiteral("|"));
    fixture.control<QLineEdit>("Text1")->setText(QString());
    QCOMPARE(fixture.storedKeys(), QStringList());
}

void TestOutputOptions::failedWritesLeaveTheWindowWorking()
{
    WindowFixture fixture;
    showActive(fixture);
    blockTheStore(fixture);

    QTest::mouseClick(fixture.control<QRadioButton>("Option7"), Qt::LeftButton);
    QVERIFY(!fixture.control<QGroupBox>("Frame4")->isEnabled());
    QTest::mouseClick(fixture.control<QRadioButton>("Option4"), Qt::LeftButton);
    QVERIFY(fixture.control<QRadioButton>("Option4")->isChecked());
    fixture.control<QLineEdit>("Text2")->setText(QStringLiteral(";"));
    // These handlers have no report of their own.
    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QVERIFY(!QFileInfo(fixture.settingsFile()).exists());

    QTest::mouseClick(fixture.control<QRadioButton>("Option6"), Qt::LeftButton);
    const QString folder = fixture.configFolder.filePath(QStringLiteral("out"));
    fixture.dialogs.answerBrowseForFolder(folder);
    QTest::mouseClick(fixture.control<QPushButton>("PushButton9"), Qt::LeftButton);
    // The cause was told by the first failed write (on standard error, as those handlers have
    // no report); the same cause is not told again.
    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QCOMPARE(fixture.control<QLineEdit>("Text1")->text(), folder + QLatin1Char('/'));
}

void TestOutputOptions::browseForOutputFolder_data()
{
    QTest::addColumn<QString>("picked"); // "<tmp>" stands for a temporary folder
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("lastFolder"); // empty: not stored
    QTest::newRow("folder") << QStringLiteral("<tmp>/Out") << QStringLiteral("<tmp>/Out/")
                            << QStringLiteral("<tmp>/Out");
    QTest::newRow("trailingSeparator")
            << QStringLiteral("<tmp>/Out/") << QStringLiteral("<tmp>/Out/")
            << QStringLiteral("<tmp>/Out");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/") << QStringLiteral("/");
    QTest::newRow("cancel") << QString() << QStringLiteral("/before/") << QString();
}

void TestOutputOptions::browseForOutputFolder()
{
    QFETCH(QString, picked);
    QFETCH(QString, text1);
    QFETCH(QString, lastFolder);
    WindowFixture fixture;
    const QString tmp = fixture.configFolder.path();
    picked.replace(QStringLiteral("<tmp>"), tmp);
    text1.replace(QStringLiteral("<tmp>"), tmp);
    lastFolder.replace(QStringLiteral("<tmp>"), tmp);
    auto *text1Box = fixture.control<QLineEdit>("Text1");
    text1Box->setText(QStringLiteral("/before/"));
    showActive(fixture);

    fixture.dialogs.answerBrowseForFolder(picked);
    QTest::mouseClick(fixture.control<QPushButton>("PushButton9"), Qt::LeftButton);

    QVERIFY(fixture.dialogs.allAnswersUsed());
    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QCOMPARE(text1Box->text(), text1);
    QCOMPARE(fixture.storedValue(QStringLiteral("Text1")), text1);
    QCOMPARE(fixture.storedKeys().contains(QStringLiteral("LastFolderDot")), !lastFolder.isEmpty());
    QCOMPARE(fixture.storedValue(QStringLiteral("LastFolderDot")), lastFolder);
}

void TestOutputOptions::browseStartsAtTheLastFolder()
{
    WindowFixture fixture;
    fixture.settings.WriteSetting(QStringLiteral("LastFolderDot"), QStringLiteral("/srv/out"));
    fixture.dialogs.answerBrowseForFolder(QString());
    fixture.window.PushButton9_Click();
    QCOMPARE(fixture.dialogs.calls().size(), 1);
    QCOMPARE(fixture.dialogs.calls().front().texts,
             (QStringList{QStringLiteral("Please select folder:"), QStringLiteral("/srv/out")}));
}

void TestOutputOptions::emptyText2OnLeaving_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("leaveBy");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("messages");
    const QString comma = QStringLiteral("Option1");
    const QStringList reminded{Reminder};
    QTest::newRow("emptyTab") << QString() << QStringLiteral("tab") << comma << reminded;
    QTest::newRow("emptyBacktab") << QString() << QStringLiteral("backtab") << comma << reminded;
    QTest::newRow("emptyClick") << QString() << QStringLiteral("click") << comma << reminded;
    QTest::newRow("blankPasses") << QStringLiteral(" ") << QStringLiteral("tab") << comma
                                 << QStringList();
    QTest::newRow("textPasses") << QStringLiteral(";") << QStringLiteral("click") << comma
                                << QStringList();
    // Leaving for "Start Converting": its click is not lost, and the run, which refuses an
    // empty "Other" delimiter with the same reminder, is the one to say it.
    QTest::newRow("emptyClickStartOther")
            << QString() << QStringLiteral("clickStart") << QStringLiteral("Option5") << reminded;
    QTest::newRow("emptyHoldStartComma") << QString() << QStringLiteral("holdStart") << comma
                                         << QStringList{Reminder, QStringLiteral("Done.")};
    QTest::newRow("emptyHoldStartOther")
            << QString() << QStringLiteral("holdStart") << QStringLiteral("Option5") << reminded;
    // A run under way took its delimiter before: the box emptied meanwhile is the next run's.
    QTest::newRow("emptiedDuringRunOther")
            << QStringLiteral("|") << QStringLiteral("tabDuringRun") << QStringLiteral("Option5")
            << QStringList{QStringLiteral("Done."), Reminder};
}

void TestOutputOptions::emptyText2OnLeaving()
{
    QFETCH(QString, text);
    QFETCH(QString, leaveBy);
    QFETCH(QString, delimiter);
    QFETCH(QStringList, messages);
    WindowFixture fixture;
    QTemporaryDir folder;
    // Large enough to convert on the worker, while the window goes on answering.
    makeTree(folder.path(), {QStringLiteral("in.xml")},
             "<r>" + QByteArray("<v>1</v>").repeated(10000) + "</r>");
    fixture.control<FileListView>("ListView1")
            ->appendRow(folder.filePath(QStringLiteral("in.xml")));
    fixture.control<QLineEdit>("Text1")->setText(folder.path());
    fixture.control<QRadioButton>(qPrintable(delimiter))->setChecked(true);
    showActive(fixture);
    auto *text2 = fixture.control<QLineEdit>("Text2");
    text2->setFocus();
    QTRY_VERIFY(text2->hasFocus());
    text2->setText(text);

    auto *start = fixture.control<QPushButton>("PushButton2");
    if (leaveBy == QLatin1String("tab")) {
        QTest::keyClick(text2, Qt::Key_Tab);
    } else if (leaveBy == QLatin1String("backtab")) {
        QTest::keyClick(text2, Qt::Key_Backtab, Qt::ShiftModifier);
    } else if (leaveBy == QLatin1String("clickStart")) {
        QTest::mouseClick(start, Qt::LeftButton);
    } else if (leaveBy == QLatin1String("holdStart")) {
        // Through the window, as the window system delivers a press and its release.
        QWindow *window = fixture.window.windowHandle();
        const QPoint centre = start->mapTo(&fixture.window, start->rect().center());
        QTest::mousePress(window, Qt::LeftButton, {}, centre);
        QCoreApplication::processEvents();
        QTest::mouseRelease(window, Qt::LeftButton, {}, centre);
    } else if (leaveBy == QLatin1String("tabDuringRun")) {
        // Acts at the run's first yield once it has chosen its delimiter and begun a file.
        QTimer during;
        connect(&during, &QTimer::timeout, &fixture.window, [&] {
            if (!fixture.window.runInProgress() || fixture.window.progressValue() == 0)
                return;
            during.stop();
            text2->clear();
            QTest::keyClick(text2, Qt::Key_Tab);
        });
        during.start(0);
        start->click();
    } else {
        QTest::mouseClick(fixture.control<QLineEdit>("Text1"), Qt::LeftButton);
    }

    // Which messages count, not their order, which follows the run's yields.
    const auto told = [&] {
        QStringList texts = fixture.dialogs.messages();
        texts.sort();
        return texts;
    };
    messages.sort();
    if (messages.contains(Reminder)) {
        QTRY_COMPARE(told(), messages);
        QTRY_VERIFY(text2->hasFocus());
    } else {
        QTRY_VERIFY(!text2->hasFocus());
    }
    QCoreApplication::processEvents();
    QCOMPARE(told(), messages);
    QCOMPARE(QFile::exists(folder.filePath(QStringLiteral("in.csv"))),
             messages.contains(QStringLiteral("Done.")));
}

void TestOutputOptions::text2IgnoresTheWindowLosingActivation()
{
    WindowFixture fixture;
    showActive(fixture);
    auto *text2 = fixture.control<QLineEdit>("Text2");
    text2->setFocus();
    QTRY_VERIFY(text2->hasFocus());
    text2->clear();

    QWidget otherProgram;
    otherProgram.show();
    otherProgram.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&otherProgram));
    QCoreApplication::processEvents();
    QCOMPARE(fixture.dialogs.messages(), QStringList());

    otherProgram.close();
    fixture.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    QTRY_VERIFY(text2->hasFocus());
    QCoreApplication::processEvents();
    QCOMPARE(fixture.dialogs.messages(), QStringList());
}

void TestOutputOptions::text2IgnoresItsContextMenu()
{
    WindowFixture fixture;
    showActive(fixture);
    auto *text2 = fixture.control<QLineEdit>("Text2");
    text2->setFocus();
    QTRY_VERIFY(text2->hasFocus());
    text2->clear();

    std::unique_ptr<QMenu> menu(text2->createStandardContextMenu());
    menu->popup(text2->mapToGlobal(QPoint(4, 4)));
    QTRY_VERIFY(menu->isVisible());
    QCoreApplication::processEvents();
    menu->close();
    QTRY_VERIFY(text2->hasFocus());
    QCoreApplication::processEvents();
    QCOMPARE(fixture.dialogs.messages(), QStringList());
}

QTEST_MAIN(TestOutputOptions)
#include "tst_outputoptions.moc"
