#include "filelist/folderpicker.h"
#include "shell/qtdialogs.h"
#include "support/scripteddialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using Main::PathStyle;

class TestFolderPicker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void normalizePickedFolder_data();
    void normalizePickedFolder();
    void passesPromptAndStartFolder();
    void cancelGivesEmptyText();
    void rootKeepsItsSeparator();
    void dialogOpensAtStartFolder_data();
    void dialogOpensAtStartFolder();
    void dialogReturnsChosenFolder();
    void dialogWritesNoStateFile();

private:
    // Runs the Qt dialog, handing the open dialog to the action, which must close it.
    QString runQtDialog(const QString &startFolder, const std::function<void(QFileDialog &)> &act);

    // Where Qt's own per-user settings would go, in place of the user's configuration folder.
    QTemporaryDir m_userConfig;
};

void TestFolderPicker::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_userConfig.path());
}

void TestFolderPicker::normalizePickedFolder_data()
{
    QTest::addColumn<QString>("picked");
    QTest::addColumn<PathStyle>("style");
    QTest::addColumn<QString>("expected");
    QTest::newRow("cancel") << QString() << PathStyle::Posix << QString();
    QTest::newRow("plain") << QStringLiteral("/home/ann/Out") << PathStyle::Posix
                           << QStringLiteral("/home/ann/Out");
    QTest::newRow("trailing") << QStringLiteral("/home/ann/Out/") << PathStyle::Posix
                              << QStringLiteral("/home/ann/Out");
    QTest::newRow("root") << QStringLiteral("/") << PathStyle::Posix << QStringLiteral("/");
    QTest::newRow("doubleRoot") << QStringLiteral("//") << PathStyle::Posix << QStringLiteral("/");
    QTest::newRow("blankName") << QStringLiteral("/tmp/a ") << PathStyle::Posix
                               << QStringLiteral("/tmp/a ");
    QTest::newRow("winFolder") << QStringLiteral("C:\\Out") << PathStyle::Windows
                               << QStringLiteral("C:\\Out");
    QTest::newRow("winTrailing") << QStringLiteral("C:/Data/Out/") << PathStyle::Windows
                                 << QStringLiteral("C:\\Data\\Out");
    QTest::newRow("winDriveRoot") << QStringLiteral("D:\\") << PathStyle::Windows
                                  << QStringLiteral("D:\\");
    QTest::newRow("winDriveSlash")
            << QStringLiteral("D:/") << PathStyle::Windows << QStringLiteral("D:\\");
    QTest::newRow("winShare") << QStringLiteral("\\\\server\\share\\") << PathStyle::Windows
                              << QStringLiteral("\\\\server\\share");
}

void TestFolderPicker::normalizePickedFolder()
{
    QFETCH(QString, picked);
    QFETCH(PathStyle, style);
    QFETCH(QString, expected);
    QCOMPARE(AddFolder::normalizePickedFolder(picked, style), expected);
}

void TestFolderPicker::passesPromptAndStartFolder()
{
    ScriptedDialogs dialogs;
    dialogs.answerBrowseForFolder(QStringLiteral("/srv/data/"));
    QCOMPARE(AddFolder::BrowseForFolder(dialogs, QStringLiteral("Please select folder:"),
                                        QStringLiteral("/srv")),
             QStringLiteral("/srv/data"));
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(dialogs.calls().front().texts,
             (QStringList{QStringLiteral("Please select folder:"), QStringLiteral("/srv")}));
}

void TestFolderPicker::cancelGivesEmptyText()
{
    ScriptedDialogs dialogs;
    dialogs.answerBrowseForFolder(QString());
    QVERIFY(AddFolder::BrowseForFolder(dialogs, QStringLiteral("Pick"), QString()).isEmpty());
    QVERIFY(dialogs.allAnswersUsed());
}

void TestFolderPicker::rootKeepsItsSeparator()
{
    ScriptedDialogs dialogs;
    dialogs.answerBrowseForFolder(QStringLiteral("/"));
    QCOMPARE(AddFolder::BrowseForFolder(dialogs, QStringLiteral("Pick"), QString()),
             QStringLiteral("/"));
}

QString TestFolderPicker::runQtDialog(const QString &startFolder,
                                      const std::function<void(QFileDialog &)> &act)
{
    QWidget owner;
    QtDialogs dialogs(&owner);
    // The dialog runs its own loop; the timer acts inside it as soon as the dialog is up.
    QTimer timer;
    timer.setInterval(0);
    connect(&timer, &QTimer::timeout, this, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            timer.stop();
            act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    timer.start();
    return dialogs.browseForFolder(QStringLiteral("Please select folder:"), startFolder);
}

void TestFolderPicker::dialogOpensAtStartFolder_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("expectedDirectory");
    QTest::addColumn<QString>("expectedSelection");
    QTest::newRow("existing") << QStringLiteral("sub") << QString() << QStringLiteral("sub");
    QTest::newRow("trailing") << QStringLiteral("sub/") << QString() << QStringLiteral("sub");
    QTest::newRow("missing") << QStringLiteral("gone") << QStringLiteral("<default>") << QString();
}

void TestFolderPicker::dialogOpensAtStartFolder()
{
    QFETCH(QString, start);
    QFETCH(QString, expectedDirectory);
    QFETCH(QString, expectedSelection);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));

    QString directory;
    QString title;
    QStringList selected;
    bool overItsOwner = false;
    const QString result = runQtDialog(folder.filePath(start), [&](QFileDialog &dialog) {
        directory = dialog.directory().absolutePath();
        title = dialog.windowTitle();
        selected = dialog.selectedFiles();
        // Shown over the window that asked, though not its child, which would destroy it.
        overItsOwner = dialog.windowHandle()->transientParent() != nullptr && !dialog.parent();
    });
    QVERIFY(result.isEmpty());
    QVERIFY(overItsOwner);
    QCOMPARE(title, QStringLiteral("Please select folder:"));
    if (expectedDirectory.isEmpty()) {
        QCOMPARE(directory, QDir(folder.path()).canonicalPath());
        QCOMPARE(selected,
                 QStringList{QDir(folder.path()).canonicalPath() + QLatin1Char('/')
                             + expectedSelection});
    } else {
        QVERIFY(!directory.startsWith(folder.path()));
    }
}

void TestFolderPicker::dialogReturnsChosenFolder()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));
    const QString result
            = runQtDialog(folder.filePath(QStringLiteral("sub")),
                          [](QFileDialog &dialog) { static_cast<QDialog &>(dialog).accept(); });
    QCOMPARE(QDir(result).canonicalPath(),
             QDir(folder.filePath(QStringLiteral("sub"))).canonicalPath());
}

void TestFolderPicker::dialogWritesNoStateFile()
{
    QTemporaryDir folder;
    QVERIFY(!runQtDialog(folder.path(), [](QFileDialog &dialog) {
                 static_cast<QDialog &>(dialog).accept();
             }).isEmpty());
    QCOMPARE(QDir(m_userConfig.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
}

QTEST_MAIN(TestFolderPicker)
#include "tst_folderpicker.moc"
