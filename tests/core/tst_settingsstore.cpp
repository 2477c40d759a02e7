#include "core/failure.h"
#include "core/settingsstore.h"
#include "support/storedsettings.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

#include <unistd.h>

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void init() { m_folder.emplace(); }
    void cleanup() { m_folder.reset(); }
    void defaultStoreIsTheVelmoraUserFile();
    void valuesRoundTripExactly_data();
    void valuesRoundTripExactly();
    void missingKeyReadsItsDefault();
    void emptyValueReadsEmpty();
    void laterWriteReplacesAndKeepsOtherKeys();
    void changesReachTheFile_data();
    void changesReachTheFile();
    void unwritableFolderFailsTheWrite();
    void readOnlyFolderFailsTheWrite();
    void unwritableStoreIsToldOnce_data();
    void unwritableStoreIsToldOnce();
    void damagedFileKeepsWhatCanBeRead_data();
    void damagedFileKeepsWhatCanBeRead();
    void unreadableFileGivesThePresets_data();
    void unreadableFileGivesThePresets();
    void settingToBool_data();
    void settingToBool();
    void settingToBoolRejects_data();
    void settingToBoolRejects();

private:
    QString settingsFile() const
    {
        return m_folder->filePath(QStringLiteral("Velmora/Velmora.conf"));
    }
    QString settingsFolder() const { return QFileInfo(settingsFile()).absolutePath(); }

    std::optional<QTemporaryDir> m_folder;
};

void TestSettingsStore::defaultStoreIsTheVelmoraUserFile()
{
    const SettingsStore store;
    QCOMPARE(store.filePath(),
             QSettings(QStringLiteral("Velmora"), QStringLiteral("Velmora")).fileName());
#ifdef Q_OS_LINUX
    QVERIFY(store.filePath().endsWith(QStringLiteral("/Velmora/Velmora.conf")));
#endif
}

void TestSettingsStore::valuesRoundTripExactly_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("  padded  ");
    QTest::newRow("backslashes") << QStringLiteral("C:\\Out\\");
    QTest::newRow("bar") << QStringLiteral("|");
    QTest::newRow("nonAscii") << QStringLiteral("Zürich/Ελλάδα/日本 ✓");
    QTest::newRow("listLike") << QStringLiteral("a, b;c=d");
    QTest::newRow("quotes") << QStringLiteral("\"quoted\" 'x'");
    QTest::newRow("atSign") << QStringLiteral("@Invalid()");
    QTest::newRow("comment") << QStringLiteral("#;not a comment");
    QTest::newRow("lineBreaks") << QStringLiteral("one\r\ntwo\tthree");
    QTest::newRow("section") << QStringLiteral("[General]");
}

void TestSettingsStore::valuesRoundTripExactly()
{
    QFETCH(QString, value);
    SettingsStore writer(settingsFile());
    writer.WriteSetting(QStringLiteral("Text1"), value);
    writer.flush();

    const SettingsStore reader(settingsFile());
    QCOMPARE(reader.ReadSetting(QStringLiteral("Text1"), QStringLiteral("default")), value);
    QCOMPARE(storedValue(settingsFile(), QStringLiteral("Text1")), value);
    QCOMPARE(storedKeys(settingsFile()), QStringList{QStringLiteral("Text1")});
}

void TestSettingsStore::missingKeyReadsItsDefault()
{
    SettingsStore store(settingsFile());
    QCOMPARE(store.ReadSetting(QStringLiteral("Option1"), QStringLiteral("1")),
             QStringLiteral("1"));
    // A store that changed nothing makes no file, nor its folder.
    store.flush();
    QVERIFY(!QFileInfo::exists(settingsFolder()));

    // Another program's section does not count as ours.
    QVERIFY(QDir().mkpath(m_folder->filePath(QStringLiteral("Velmora"))));
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Other]\nOption1=False\n[Quillmere]\nOther=a, b\n");
    file.close();
    const SettingsStore later(settingsFile());
    QCOMPARE(later.ReadSetting(QStringLiteral("Option1"), QStringLiteral("1")),
             QStringLiteral("1"));
    // A value edited by hand into "a, b", which Qt reads as a list, is read as written.
    QCOMPARE(later.ReadSetting(QStringLiteral("Other"), QString()), QStringLiteral("a, b"));
}

void TestSettingsStore::emptyValueReadsEmpty()
{
    SettingsStore store(settingsFile());
    store.WriteSetting(QStringLiteral("Other"), QString());
    const QString read = store.ReadSetting(QStringLiteral("Other"), QStringLiteral("|"));
    QVERIFY(read.isEmpty());
}

void TestSettingsStore::laterWriteReplacesAndKeepsOtherKeys()
{
    SettingsStore store(settingsFile());
    store.WriteSetting(QStringLiteral("Option1"), QStringLiteral("True"));
    store.WriteSetting(QStringLiteral("Extension"), QStringLiteral("xml"));
    store.WriteSetting(QStringLiteral("Option1"), QStringLiteral("False"));
    QCOMPARE(store.ReadSetting(QStringLiteral("Option1"), QString()), QStringLiteral("False"));
    QCOMPARE(store.ReadSetting(QStringLiteral("Extension"), QString()), QStringLiteral("xml"));
    store.flush();
    QStringList keys = storedKeys(settingsFile());
    keys.sort();
    QCOMPARE(keys, (QStringList{QStringLiteral("Extension"), QStringLiteral("Option1")}));
}

void TestSettingsStore::changesReachTheFile_data()
{
    QTest::addColumn<QString>("by");
    QTest::newRow("eventLoop") << QStringLiteral("eventLoop");
    QTest::newRow("flush") << QStringLiteral("flush");
    QTest::newRow("end") << QStringLiteral("end");
}

void TestSettingsStore::changesReachTheFile()
{
    QFETCH(QString, by);
    std::optional<SettingsStore> store(std::in_place, settingsFile());
    store->WriteSetting(QStringLiteral("LastFolderDot"), QStringLiteral("/data/out"));
    store->WriteSetting(QStringLiteral("Extension"), QStringLiteral("txt"));
    // A burst of changes, as typing gives, is held while the handler runs; reads see it at once.
    QVERIFY(!QFile::exists(settingsFile()));
    QCOMPARE(store->ReadSetting(QStringLiteral("LastFolderDot"), QString()),
             QStringLiteral("/data/out"));

    if (by == QLatin1String("flush"))
        store->flush();
    else if (by == QLatin1String("end"))
        store.reset();
    // Read as plain bytes, with no settings object of the program alive.
    const auto text = [&] {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_VERIFY2(text().contains("[Quillmere]\nExtension=txt\nLastFolderDot=/data/out\n"),
                 text().constData());
}

void TestSettingsStore::unwritableFolderFailsTheWrite()
{
    // The configuration "folder" is a regular file: no user, root included, can write below it.
    QFile blocker(m_folder->filePath(QStringLiteral("Velmora")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    SettingsStore store(settingsFile());
    try {
        store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/x/"));
        QFAIL("The write did not fail");
    } catch (const Failure &failure) {
        QVERIFY(failure.description().contains(settingsFile()));
    }
    // The change is kept for the session.
    QCOMPARE(store.ReadSetting(QStringLiteral("Text1"), QStringLiteral("none")),
             QStringLiteral("/x/"));
}

void TestSettingsStore::readOnlyFolderFailsTheWrite()
{
    if (::geteuid() == 0)
        QSKIP("Permission bits stop nothing for root");
    const QString folder = m_folder->filePath(QStringLiteral("Velmora"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    SettingsStore store(settingsFile());
    QVERIFY_THROWS_EXCEPTION(Failure,
                             store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/x/")));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestSettingsStore::unwritableStoreIsToldOnce_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::newRow("file") << QStringLiteral("file");
    // The file itself could be written, but it is replaced by a new file made beside it.
    QTest::newRow("folder") << QStringLiteral("folder");
}

void TestSettingsStore::unwritableStoreIsToldOnce()
{
    QFETCH(QString, blocked);
    const QString path = blocked == QLatin1String("file") ? settingsFile() : settingsFolder();
    const auto told = [](const std::function<void()> &operation) {
        try {
            operation();
        } catch (const Failure &failure) {
            return failure.description();
        }
        return QString();
    };
    SettingsStore store(settingsFile());
    store.WriteSetting(QStringLiteral("Option3"), QStringLiteral("True"));
    store.flush();
    if (!setUnwritable(path))
        QSKIP("The file system cannot make a file unwritable for this user");
    const auto restore = qScopeGuard([&] { setWritable(path); });

    // Told once, by the check at start-up; later changes are kept and the reads go on.
    const QString first = told([&] { store.check(); });
    QVERIFY2(first.contains(QStringLiteral("input/output failure")), qPrintable(first));
    if (blocked == QLatin1String("folder"))
        QVERIFY(first.contains(QStringLiteral("cannot create a file in the folder ") + path));
    QCOMPARE(told([&] {
                 store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/x/"));
                 store.WriteSetting(QStringLiteral("Option1"), QStringLiteral("False"));
                 store.flush();
                 store.check();
             }),
             QString());
    QCOMPARE(store.ReadSetting(QStringLiteral("Option3"), QString()), QStringLiteral("True"));
    QCOMPARE(store.ReadSetting(QStringLiteral("Text1"), QString()), QStringLiteral("/x/"));
    QCOMPARE(storedKeys(settingsFile()), QStringList{QStringLiteral("Option3")});

    // Writable again, the file takes the changes. A cause that comes back is told again, at the
    // change that meets it.
    setWritable(path);
    store.flush();
    QCOMPARE(storedValue(settingsFile(), QStringLiteral("Option1")), QStringLiteral("False"));
    QVERIFY(setUnwritable(path));
    QVERIFY(!told([&] {
                 store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/y/"));
             }).isEmpty());
}

void TestSettingsStore::damagedFileKeepsWhatCanBeRead_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("nulLine") << QByteArray("[Quillmere]\nSnapshot=/s/a.xml\n") + '\0'
                    + QByteArray("\nText1=/x/\n");
    QTest::newRow("openSection") << QByteArray("[Quillmere]\nSnapshot=/s/a.xml\n[\nText1=/x/\n");
}

void TestSettingsStore::damagedFileKeepsWhatCanBeRead()
{
    QFETCH(QByteArray, content);
    makeTree(m_folder->path(), {QStringLiteral("Velmora/Velmora.conf")}, content);
    SettingsStore store(settingsFile());
    QCOMPARE(store.ReadSetting(QStringLiteral("Snapshot"), QString()), QStringLiteral("/s/a.xml"));
    try {
        store.check();
        QFAIL("The damage was not told");
    } catch (const Failure &failure) {
        QVERIFY2(failure.description().contains(QStringLiteral("format error")),
                 qPrintable(failure.description()));
    }
    // Writing works and keeps the entries that were read.
    store.WriteSetting(QStringLiteral("Option3"), QStringLiteral("True"));
    store.flush();
    QCOMPARE(storedValue(settingsFile(), QStringLiteral("Snapshot")), QStringLiteral("/s/a.xml"));
    QCOMPARE(storedValue(settingsFile(), QStringLiteral("Option3")), QStringLiteral("True"));
}

void TestSettingsStore::unreadableFileGivesThePresets_data()
{
    QTest::addColumn<bool>("folderInItsPlace");
    // A folder in the file's place cannot be read by anyone.
    QTest::newRow("folderInItsPlace") << true;
    QTest::newRow("writeOnlyFile") << false;
}

void TestSettingsStore::unreadableFileGivesThePresets()
{
    QFETCH(bool, folderInItsPlace);
    const QByteArray content("[Quillmere]\nText1=/kept/\n");
    if (folderInItsPlace) {
        makeTree(m_folder->path(), {QStringLiteral("Velmora/Velmora.conf/")});
    } else {
        if (::geteuid() == 0)
            QSKIP("Permission bits stop nothing for root");
        makeTree(m_folder->path(), {QStringLiteral("Velmora/Velmora.conf")}, content);
        QVERIFY(QFile::setPermissions(settingsFile(), QFile::WriteOwner));
    }
    const auto restore = qScopeGuard([&] {
        if (!folderInItsPlace)
            QFile::setPermissions(settingsFile(), QFile::ReadOwner | QFile::WriteOwner);
    });
    SettingsStore store(settingsFile());
    try {
        store.check();
        QFAIL("The failure was not told");
    } catch (const Failure &failure) {
        QVERIFY2(failure.description().contains(QStringLiteral("input/output failure")),
                 qPrintable(failure.description()));
    }
    // Told once: the reads give the presets, and what the file holds is never written over.
    QCOMPARE(store.ReadSetting(QStringLiteral("Text1"), QStringLiteral("preset")),
             QStringLiteral("preset"));
    store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/x/"));
    store.flush();
    QCOMPARE(store.ReadSetting(QStringLiteral("Text1"), QStringLiteral("preset")),
             QStringLiteral("/x/"));
    if (folderInItsPlace) {
        QVERIFY(QFileInfo(settingsFile()).isDir());
        return;
    }
    QVERIFY(QFile::setPermissions(settingsFile(), QFile::ReadOwner | QFile::WriteOwner));
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestSettingsStore::settingToBool_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << QStringLiteral("True") << true;
    QTest::newRow("False") << QStringLiteral("False") << false;
    QTest::newRow("lowerTrue") << QStringLiteral("true") << true;
    QTest::newRow("upperFalse") << QStringLiteral("FALSE") << false;
    QTest::newRow("mixedCase") << QStringLiteral("tRuE") << true;
    QTest::newRow("blanks") << QStringLiteral(" True ") << true;
    QTest::newRow("one") << QStringLiteral("1") << true;
    QTest::newRow("zero") << QStringLiteral("0") << false;
    QTest::newRow("minusOne") << QStringLiteral("-1") << true;
    QTest::newRow("fraction") << QStringLiteral("0.5") << true;
    QTest::newRow("zeroPointZero") << QStringLiteral("0.0") << false;
}

void TestSettingsStore::settingToBool()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(::settingToBool(text), expected);
}

void TestSettingsStore::settingToBoolRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("yes") << QStringLiteral("yes");
    QTest::newRow("truthy") << QStringLiteral("Truee");
    QTest::newRow("nan") << QStringLiteral("nan");
    QTest::newRow("inf") << QStringLiteral("inf");
    QTest::newRow("commaDecimal") << QStringLiteral("1,5");
}

void TestSettingsStore::settingToBoolRejects()
{
    QFETCH(QString, text);
    QVERIFY_THROWS_EXCEPTION(Failure, ::settingToBool(text));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
