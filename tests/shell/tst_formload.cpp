#include "core/applicationfolder.h"
#include "core/errorreport.h"
#include "core/settingsstore.h"
#include "shell/filelistview.h"
#include "shell/qtdialogs.h"
#include "shell/startup.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QStringList OptionNames{QStringLiteral("Option1"), QStringLiteral("Option2"),
                              QStringLiteral("Option3"), QStringLiteral("Option4"),
                              QStringLiteral("Option5"), QStringLiteral("Option6"),
                              QStringLiteral("Option7")};

QStringList checkedOptions(WindowFixture &fixture)
{
    QStringList checked;
    for (const QString &name : OptionNames) {
        if (fixture.control<QRadioButton>(qPrintable(name))->isChecked())
            checked.append(name);
    }
    return checked;
}

// "Key=Value" texts stored before start-up, as an earlier run would have left them.
void storeBeforeStart(WindowFixture &fixture, const QStringList &stored)
{
    SettingsStore earlierRun(fixture.settingsFile());
    for (const QString &pair : stored) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        earlierRun.WriteSetting(pair.left(equals), pair.mid(equals + 1));
    }
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The message box the program shows, if one is open.
QMessageBox *openBox()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
            return box;
    }
    return nullptr;
}

QString shippedFile(const QString &name)
{
    return QStringLiteral(QUILLMERE_BIN_DIR "/") + name;
}

} // namespace

class TestFormLoad : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStartOnEmptyStore();
    void storedSaveInOriginalFolder();
    void restoresStoredChoices_data();
    void restoresStoredChoices();
    void storedEmptyTextsStayEmpty();
    void choicesSurviveARestart();
    void unreadableBooleanIsReportedAtItsStep_data();
    void unreadableBooleanIsReportedAtItsStep();
    void unknownDesktopIsReportedAtStep136();
    void presetOutputFolder_data();
    void troubledStoreIsToldOnce_data();
    void troubledStoreIsToldOnce();
    void damagedStoreIsToldAndKept();
    void presetOutputFolder();
    void skin_data();
    void skin();
    void handPointer_data();
    void handPointer();
    void applicationTitle_data();
    void applicationTitle();
    void closingTheWindowEndsTheProgram_data();
    void closingTheWindowEndsTheProgram();

private:
    // Points the platform's desktop folder at the given text through the user-dirs file.
    void setDesktopEntry(const QByteArray &value);

    std::optional<QTemporaryDir> m_applicationFolder;
    std::optional<QTemporaryDir> m_xdgConfig;
    QString m_desktop;
    QByteArray m_previousXdgConfig;
};

void TestFormLoad::init()
{
    m_applicationFolder.emplace();
    m_xdgConfig.emplace();
    setApplicationFolderForTesting(m_applicationFolder->path());
    m_desktop = m_xdgConfig->filePath(QStringLiteral("My Desktop"));
    QVERIFY(QDir().mkpath(m_desktop));
    m_previousXdgConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_xdgConfig->path().toLocal8Bit());
    setDesktopEntry('"' + m_desktop.toLocal8Bit() + '"');
}

void TestFormLoad::cleanup()
{
    setApplicationFolderForTesting(QString());
    if (m_previousXdgConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_previousXdgConfig);
    m_xdgConfig.reset();
    m_applicationFolder.reset();
}

void TestFormLoad::setDesktopEntry(const QByteArray &value)
{
    QVERIFY(writeFile(m_xdgConfig->filePath(QStringLiteral("user-dirs.dirs")),
                      "XDG_DESKTOP_DIR=" + value + '\n'));
}

void TestFormLoad::firstStartOnEmptyStore()
{
    WindowFixture fixture;
    fixture.window.Form_Load();

    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QCOMPARE(checkedOptions(fixture),
             (QStringList{QStringLiteral("Option1"), QStringLiteral("Option6")}));
    QVERIFY(fixture.control<QGroupBox>("Frame4")->isEnabled());
    const QString desktopFolder = m_desktop + QLatin1Char('/');
    QCOMPARE(fixture.control<QLineEdit>("Text1")->text(), desktopFolder);
    QCOMPARE(fixture.control<QLineEdit>("Text2")->text(), QStringLiteral("|"));

    // The handlers that start-up ran wrote their keys; "Other" kept its text, so it has none.
    QStringList keys = fixture.storedKeys();
    keys.sort();
    QCOMPARE(keys,
             (QStringList{QStringLiteral("Option1"), QStringLiteral("Option2"),
                          QStringLiteral("Option3"), QStringLiteral("Option4"),
                          QStringLiteral("Option5"), QStringLiteral("Option6"),
                          QStringLiteral("Option7"), QStringLiteral("Snapshot"),
                          QStringLiteral("Text1")}));
    QCOMPARE(fixture.storedValue(QStringLiteral("Option1")), QStringLiteral("True"));
    QCOMPARE(fixture.storedValue(QStringLiteral("Option3")), QStringLiteral("False"));
    QCOMPARE(fixture.storedValue(QStringLiteral("Option6")), QStringLiteral("True"));
    QCOMPARE(fixture.storedValue(QStringLiteral("Option7")), QStringLiteral("False"));
    QCOMPARE(fixture.storedValue(QStringLiteral("Text1")), desktopFolder);

    QCOMPARE(fixture.window.windowTitle(), QStringLiteral("Quillmere"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmere"));
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("com.velmora.Quillmere"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Quillmere"));
    QCOMPARE(fixture.window.windowIcon().availableSizes(),
             (QList<QSize>{QSize(32, 32), QSize(48, 48), QSize(128, 128), QSize(256, 256)}));
    auto *list = fixture.control<FileListView>("ListView1");
    QCOMPARE(list->columnCount(), 1);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("XML File(s)"));
    QCOMPARE(list->header()->sectionSize(0), 467);
}

void TestFormLoad::storedSaveInOriginalFolder()
{
    WindowFixture fixture;
    storeBeforeStart(fixture, {QStringLiteral("Option6=False"), QStringLiteral("Option7=True")});
    fixture.window.Form_Load();

    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QCOMPARE(checkedOptions(fixture),
             (QStringList{QStringLiteral("Option1"), QStringLiteral("Option7")}));
    QVERIFY(!fixture.control<QGroupBox>("Frame4")->isEnabled());
    QVERIFY(!fixture.control<QLineEdit>("Text1")->isEnabled());
    QVERIFY(!fixture.control<QPushButton>("PushButton9")->isEnabled());
}

void TestFormLoad::restoresStoredChoices_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<bool>("frame4Enabled");
    QTest::newRow("lowerCaseTrue")
            << QStringList{QStringLiteral("Option1=False"), QStringLiteral("Option3=true")}
            << QStringList{QStringLiteral("Option3"), QStringLiteral("Option6")} << true;
    QTest::newRow("numbers") << QStringList{QStringLiteral("Option1=0"),
                                            QStringLiteral("Option4=-1")}
                             << QStringList{QStringLiteral("Option4"), QStringLiteral("Option6")}
                             << true;
    // Each restored selection runs its click handler, which stores the whole group again.
    QTest::newRow("firstTrueRewritesGroup")
            << QStringList{QStringLiteral("Option1=False"), QStringLiteral("Option2=True"),
                           QStringLiteral("Option5=TRUE")}
            << QStringList{QStringLiteral("Option2"), QStringLiteral("Option6")} << true;
    QTest::newRow("falseIntoSelected") << QStringList{QStringLiteral("Option1=False")}
                                       << QStringList{QStringLiteral("Option6")} << true;
    QTest::newRow("noSaveOption") << QStringList{QStringLiteral("Option6=False"),
                                                 QStringLiteral("Option7=False")}
                                  << QStringList{QStringLiteral("Option1")} << false;
}

void TestFormLoad::restoresStoredChoices()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, checked);
    QFETCH(bool, frame4Enabled);
    WindowFixture fixture;
    storeBeforeStart(fixture, stored);
    fixture.window.Form_Load();

    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QCOMPARE(checkedOptions(fixture), checked);
    QCOMPARE(fixture.control<QGroupBox>("Frame4")->isEnabled(), frame4Enabled);
    // A restored selection is stored again as a click would store it.
    for (const QString &name : checked)
        QCOMPARE(fixture.storedValue(name), QStringLiteral("True"));
}

void TestFormLoad::storedEmptyTextsStayEmpty()
{
    WindowFixture fixture;
    storeBeforeStart(fixture, {QStringLiteral("Text1="), QStringLiteral("Other=")});
    fixture.window.Form_Load();
    QCOMPARE(fixture.control<QLineEdit>("Text1")->text(), QString());
    QCOMPARE(fixture.control<QLineEdit>("Text2")->text(), QString());
    QCOMPARE(fixture.storedValue(QStringLiteral("Other")), QString());
}

void TestFormLoad::choicesSurviveARestart()
{
    WindowFixture fixture;
    fixture.window.Form_Load();
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));
    QTest::mouseClick(fixture.control<QRadioButton>("Option4"), Qt::LeftButton);
    QTest::mouseClick(fixture.control<QRadioButton>("Option7"), Qt::LeftButton);
    fixture.control<QLineEdit>("Text1")->setText(QStringLiteral("/srv/out dir\\"));
    fixture.control<QLineEdit>("Text2")->setText(QStringLiteral(" ¦ "));
    fixture.window.close();

    // Closing the window wrote what the store held: a new store on the file is a new run.
    ScriptedDialogs dialogs;
    SettingsStore restartedSettings(fixture.settingsFile());
    Form1 restarted(restartedSettings);
    restarted.installDialogs(dialogs);
    restarted.Form_Load();
    QCOMPARE(dialogs.errorReports(), QStringList());
    auto control = [&](const char *name) {
        return restarted.findChild<QWidget *>(QLatin1String(name));
    };
    QVERIFY(qobject_cast<QRadioButton *>(control("Option4"))->isChecked());
    QVERIFY(qobject_cast<QRadioButton *>(control("Option7"))->isChecked());
    QVERIFY(!qobject_cast<QRadioButton *>(control("Option1"))->isChecked());
    QVERIFY(!qobject_cast<QRadioButton *>(control("Option6"))->isChecked());
    QVERIFY(!control("Frame4")->isEnabled());
    QCOMPARE(qobject_cast<QLineEdit *>(control("Text1"))->text(), QStringLiteral("/srv/out dir\\"));
    QCOMPARE(qobject_cast<QLineEdit *>(control("Text2"))->text(), QStringLiteral(" ¦ "));
}

void TestFormLoad::unreadableBooleanIsReportedAtItsStep_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<bool>("frame4Enabled");
    const QString no = QStringLiteral("False");
    auto group = [&](const QString &one, const QString &three, const QString &five) {
        return QStringList{QStringLiteral("Option1=") + one, QStringLiteral("Option2=") + no,
                           QStringLiteral("Option3=") + three, QStringLiteral("Option4=") + no,
                           QStringLiteral("Option5=") + five};
    };
    QTest::newRow("option1") << group(QStringLiteral("maybe"), no, no) << 140
                             << QStringList{QStringLiteral("Option1"), QStringLiteral("Option6")}
                             << true;
    QTest::newRow("option3") << group(no, QStringLiteral("yes"), QStringLiteral("True")) << 144
                             << QStringList{QStringLiteral("Option5"), QStringLiteral("Option6")}
                             << true;
    QTest::newRow("option6") << QStringList{QStringLiteral("Option6=x"),
                                            QStringLiteral("Option7=False")}
                             << 150
                             << QStringList{QStringLiteral("Option1"), QStringLiteral("Option6")}
                             << true;
    QTest::newRow("emptyOption7") << QStringList{QStringLiteral("Option6=False"),
                                                 QStringLiteral("Option7=")}
                                  << 152 << QStringList{QStringLiteral("Option1")} << false;
}

void TestFormLoad::unreadableBooleanIsReportedAtItsStep()
{
    QFETCH(QStringList, stored);
    QFETCH(int, step);
    QFETCH(QStringList, checked);
    QFETCH(bool, frame4Enabled);
    WindowFixture fixture;
    storeBeforeStart(fixture, stored);
    fixture.window.Form_Load();

    QCOMPARE(fixture.dialogs.errorReports(),
             QStringList{errorReportText(QStringLiteral("Type mismatch"), ProcedureTag::FormLoad,
                                         step)});
    QCOMPARE(checkedOptions(fixture), checked);
    QCOMPARE(fixture.control<QGroupBox>("Frame4")->isEnabled(), frame4Enabled);
}

void TestFormLoad::unknownDesktopIsReportedAtStep136()
{
    setDesktopEntry(QByteArray());
    WindowFixture fixture;
    fixture.window.Form_Load();

    QCOMPARE(fixture.dialogs.errorReports().size(), 1);
    QVERIFY(fixture.dialogs.errorReports().front().contains(
            QStringLiteral("Form1.Form_Load at line 136\r\r")));
    QCOMPARE(fixture.control<QLineEdit>("Text1")->text(), QString());
    QVERIFY(!fixture.storedKeys().contains(QStringLiteral("Text1")));
    // Start-up goes on after the failed step.
    QCOMPARE(checkedOptions(fixture),
             (QStringList{QStringLiteral("Option1"), QStringLiteral("Option6")}));
}

void TestFormLoad::presetOutputFolder_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("created"); // below the home folder; empty: none
    QTest::addColumn<QString>("preset"); // below the home folder
    QTest::newRow("homeRelative") << QByteArray("\"$HOME/Desk\"") << u"Desk"_s << u"Desk/"_s;
    QTest::newRow("missingDesktop") << QByteArray("\"$HOME/Desk\"") << QString() << QString();
    QTest::newRow("noEntry") << QByteArray() << u"Desktop"_s << u"Desktop/"_s;
}

void TestFormLoad::presetOutputFolder()
{
    QFETCH(QByteArray, entry);
    QFETCH(QString, created);
    QFETCH(QString, preset);
    QTemporaryDir home;
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    if (entry.isEmpty())
        QVERIFY(QFile::remove(m_xdgConfig->filePath(u"user-dirs.dirs"_s)));
    else
        setDesktopEntry(entry);
    if (!created.isEmpty())
        QVERIFY(QDir(home.path()).mkpath(created));

    WindowFixture fixture;
    fixture.window.Form_Load();
    qputenv("HOME", previousHome);
    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QCOMPARE(fixture.control<QLineEdit>("Text1")->text(), home.path() + u'/' + preset);
}

void TestFormLoad::troubledStoreIsToldOnce_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QString>("text1"); // empty: the preset, the desktop folder
    const QStringList stored{u"Option3"_s, u"Option7"_s};
    QTest::newRow("unwritableFile")
            << u"unwritableFile"_s << u"Cannot write"_s << stored << u"/x/"_s;
    // The file is replaced by a new one made beside it: the folder must take new files.
    QTest::newRow("readOnlyFolder")
            << u"readOnlyFolder"_s << u"Cannot write"_s << stored << u"/x/"_s;
    // Nothing can be read: the presets fill every control.
    QTest::newRow("folderInFilesPlace") << u"folderInFilesPlace"_s << u"Cannot read"_s
                                        << QStringList{u"Option1"_s, u"Option6"_s} << QString();
}

void TestFormLoad::troubledStoreIsToldOnce()
{
    QFETCH(QString, trouble);
    QFETCH(QString, told);
    QFETCH(QStringList, checked);
    QFETCH(QString, text1);
    WindowFixture fixture;
    QString blocked;
    if (trouble == u"folderInFilesPlace") {
        makeTree(fixture.configFolder.path(), {u"Velmora/Velmora.conf/"_s});
    } else {
        storeBeforeStart(fixture,
                         {u"Option3=True"_s, u"Option1=False"_s, u"Option7=True"_s,
                          u"Option6=False"_s, u"Text1=/x/"_s, u"Snapshot=/s/a.xml"_s});
        blocked = trouble == u"unwritableFile" ? fixture.settingsFile()
                                               : QFileInfo(fixture.settingsFile()).absolutePath();
        if (!setUnwritable(blocked))
            QSKIP("The file system cannot make a file unwritable for this user");
    }
    const auto restore = qScopeGuard([&] {
        if (!blocked.isEmpty())
            setWritable(blocked);
    });
    fixture.window.Form_Load();

    // Told once, before the steps that read and write; the window works from what it holds.
    const QStringList reports = fixture.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.front().contains(told)
                     && reports.front().contains(u"Form_Load at line 106\r"_s),
             qPrintable(reports.front()));
    QCOMPARE(checkedOptions(fixture), checked);
    QCOMPARE(fixture.control<QLineEdit>("Text1")->text(),
             text1.isEmpty() ? m_desktop + u'/' : text1);
    QCOMPARE(fixture.control<QGroupBox>("Frame4")->isEnabled(), checked.contains(u"Option6"_s));
    fixture.control<QRadioButton>("Option4")->click();
    QVERIFY(fixture.control<QRadioButton>("Option4")->isChecked());
    QCOMPARE(fixture.dialogs.errorReports().size(), 1);
}

void TestFormLoad::damagedStoreIsToldAndKept()
{
    WindowFixture fixture;
    QVERIFY(writeFile(fixture.settingsFile(),
                      QByteArray("[Quillmere]\nSnapshot=/s/a.xml\nOption1=False\nOption3=True\n")
                              + '\0' + '\n'));
    fixture.window.Form_Load();

    const QStringList reports = fixture.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.front().contains(u"format error"_s)
                     && reports.front().contains(u"Form_Load at line 106\r"_s),
             qPrintable(reports.front()));
    // The sample list stored before is kept, not captured again.
    QCOMPARE(fixture.storedValue(u"Snapshot"_s), u"/s/a.xml"_s);
    QCOMPARE(checkedOptions(fixture), (QStringList{u"Option3"_s, u"Option6"_s}));
}

void TestFormLoad::skin_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no skin file
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<bool>("coloured");
    QTest::addColumn<bool>("styled");
    QTest::addColumn<bool>("reported");
    const QByteArray valid = "QPushButton { color: #10333f; }\n";
    QTest::newRow("absent") << QByteArray() << false << false << false << false;
    QTest::newRow("folderOfThatName") << QByteArray() << true << false << false << false;
    QTest::newRow("present") << valid << false << true << true << false;
    QTest::newRow("shipped") << readFile(shippedFile(QStringLiteral("x/o.cjs"))) << false << true
                             << true << false;
    QTest::newRow("broken") << QByteArray("QPushButton { color: red; } }}") << false << true
                            << false << true;
    QTest::newRow("notUtf8") << QByteArray("QLabel { qproperty-text: \"\xff\xfe\"; }") << false
                             << true << false << true;
}

void TestFormLoad::skin()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, asFolder);
    QFETCH(bool, coloured);
    QFETCH(bool, styled);
    QFETCH(bool, reported);
    const QString skinPath = m_applicationFolder->filePath(QStringLiteral("x/o.cjs"));
    if (asFolder)
        QVERIFY(QDir().mkpath(skinPath));
    else if (!content.isEmpty())
        QVERIFY(writeFile(skinPath, content));

    WindowFixture fixture;
    fixture.window.Form_Load();

    const QStringList reports = fixture.dialogs.errorReports();
    QCOMPARE(reports.size(), reported ? 1 : 0);
    if (reported) {
        QVERIFY(reports.front().startsWith(QStringLiteral("Cannot load the skin ")));
        QVERIFY(reports.front().contains(QStringLiteral("Form_Load at line 100\r\r")));
    }
    QCOMPARE(fixture.window.styleSheet(), styled ? QString::fromUtf8(content) : QString());

    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    QVERIFY(face != QColor(Qt::white));
    const QColor expected = coloured ? face : QColor(Qt::white);
    QCOMPARE(fixture.window.palette().color(QPalette::Window), expected);
    if (coloured) {
        for (const char *name : {"Frame1", "Frame2", "Frame4"})
            QCOMPARE(fixture.control<QGroupBox>(name)->palette().color(QPalette::Window), face);
        for (const QString &name : OptionNames) {
            QCOMPARE(fixture.control<QRadioButton>(qPrintable(name))
                             ->palette()
                             .color(QPalette::Window),
                     face);
        }
    }
}

void TestFormLoad::handPointer_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no pointer file
    QTest::addColumn<bool>("reported");
    QTest::addColumn<QPoint>("hotspot");
    const QByteArray shipped = readFile(shippedFile(QStringLiteral("HAND-M.CUR")));
    QByteArray moved = shipped;
    moved[10] = 20;
    moved[12] = 3;
    QByteArray icon = shipped;
    icon[2] = 1;
    QTest::newRow("absent") << QByteArray() << false << QPoint();
    QTest::newRow("shipped") << shipped << false << QPoint(9, 1);
    QTest::newRow("otherHotspot") << moved << false << QPoint(20, 3);
    QTest::newRow("iconFile") << icon << true << QPoint();
    QTest::newRow("truncated") << shipped.left(60) << true << QPoint();
}

void TestFormLoad::handPointer()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, reported);
    QFETCH(QPoint, hotspot);
    if (!content.isEmpty())
        QVERIFY(writeFile(m_applicationFolder->filePath(QStringLiteral("HAND-M.CUR")), content));

    WindowFixture fixture;
    fixture.window.Form_Load();
    const QStringList reports = fixture.dialogs.errorReports();
    QCOMPARE(reports.size(), reported ? 1 : 0);
    if (reported)
        QVERIFY(reports.front().contains(QStringLiteral("Form_Load at line 104\r\r")));

    fixture.window.setPointer(Form1::PointerKind::Custom);
    const QCursor pointer = fixture.window.cursor();
    if (hotspot.isNull()) {
        QCOMPARE(pointer.shape(), Qt::PointingHandCursor);
    } else {
        QCOMPARE(pointer.shape(), Qt::BitmapCursor);
        QCOMPARE(pointer.hotSpot(), hotspot);
        QCOMPARE(pointer.pixmap().size(), QSize(32, 32));
    }
}

void TestFormLoad::applicationTitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("oneWord") << QStringLiteral("Quillmere") << QStringLiteral("Quillmere");
    QTest::newRow("twoWords") << QStringLiteral("Quillmere 2021") << QStringLiteral("Quillmere");
    QTest::newRow("long") << QStringLiteral("Convert Many XML Files Into Delimited Text Files Now")
                          << QStringLiteral("Convert Many XML Files Into Delimited");
    QTest::newRow("longOneWord") << QString(45, QLatin1Char('q')) << QString(40, QLatin1Char('q'));
}

void TestFormLoad::applicationTitle()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QCOMPARE(Main::applicationTitleFor(name), title);
}

void TestFormLoad::closingTheWindowEndsTheProgram_data()
{
    QTest::addColumn<int>("closeAtReport"); // 0: no report open
    QTest::newRow("idle") << 0;
    // A run's report is open when the window closes: the box goes with it, and the run stops.
    QTest::newRow("firstReport") << 1;
    // The first report answered with OK, the window closes at the second.
    QTest::newRow("secondReport") << 2;
}

void TestFormLoad::closingTheWindowEndsTheProgram()
{
    QFETCH(int, closeAtReport);
    WindowFixture fixture;
    // The boxes as the program shows them.
    QtDialogs boxes(&fixture.window);
    fixture.window.installDialogs(boxes);
    fixture.window.Form_Load();
    QTemporaryDir inputs;
    const QStringList broken{inputs.filePath(u"a.xml"_s), inputs.filePath(u"b.xml"_s),
                             inputs.filePath(u"c.xml"_s)};
    makeTree(inputs.path(), {u"a.xml"_s, u"b.xml"_s, u"c.xml"_s}, "<unclosed>");
    auto *list = fixture.control<FileListView>("ListView1");
    for (const QString &input : broken)
        list->appendRow(input);
    fixture.control<QRadioButton>("Option7")->setChecked(true);
    auto *semicolon = fixture.control<QRadioButton>("Option3");
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));

    QStringList shown;
    bool blocked = false;
    QTimer whileOpen;
    connect(&whileOpen, &QTimer::timeout, &fixture.window, [&] {
        QMessageBox *box = openBox();
        if (!box || shown.contains(box->text()))
            return;
        shown.append(box->text());
        if (shown.size() < closeAtReport) {
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            return;
        }
        whileOpen.stop();
        // Qt drops the window system's close request (title-bar X, Alt+F4) for a window that a
        // modal box blocks.
        blocked = QGuiApplication::modalWindow() != nullptr;
        // The window takes no input while the box is open.
        QTest::mouseClick(semicolon, Qt::LeftButton);
        fixture.window.close();
    });
    // The program's own event loop, as main() runs it; the watchdog only keeps a broken
    // build from hanging the suite.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    watchdog.start(60000);
    if (closeAtReport > 0) {
        whileOpen.start(0);
        QTimer::singleShot(0, &fixture.window,
                           [&] { fixture.control<QPushButton>("PushButton2")->click(); });
    } else {
        QTimer::singleShot(0, &fixture.window, [&] { fixture.window.close(); });
    }
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(fixture.window.isClosing());
    QVERIFY(!fixture.window.runInProgress());
    QCOMPARE(shown.size(), closeAtReport);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QVERIFY2(shown[i].startsWith(u"Error reading "_s + broken[i] + u'\n'),
                 qPrintable(shown[i]));
    }
    QVERIFY(!blocked);
    QVERIFY(!semicolon->isChecked());

    // No box is left. While its window is open a box waits for the user's answer; once the
    // window has closed, none shows any more and a question counts as answered No.
    QVERIFY(!openBox());
    QStringList titles;
    QTimer answer;
    connect(&answer, &QTimer::timeout, &fixture.window, [&] {
        if (QMessageBox *box = openBox()) {
            titles.append(box->windowTitle());
            (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)
                                           : box->button(QMessageBox::Ok))
                    ->click();
        }
    });
    answer.start(0);
    QWidget openWindow;
    QtDialogs openWindowBoxes(&openWindow);
    QVERIFY(openWindowBoxes.question(u"Convert the rest?"_s));
    openWindowBoxes.errorReport(u"Disk full"_s);
    QCOMPARE(titles, (QStringList{u"Quillmere"_s, u"Application Error"_s}));
    QVERIFY(!boxes.question(u"Convert the rest?"_s));
    QCOMPARE(titles.size(), 2);
}

QTEST_MAIN(TestFormLoad)
#include "tst_formload.moc"
