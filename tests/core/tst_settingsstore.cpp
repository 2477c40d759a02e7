#include "core/failure.h"
#include "core/settingsstore.h"
#include "support/storedsettings.h"
#include "support/testfiles.h"

#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

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
    void writeIsOnDiskAtOnce();
    void unwritableFolderFailsTheWrite();
    void readOnlyFolderFailsTheWrite();
    void unwritableFileStaysReadable();
    void checkTellsAnUnwritableFileOnce();
    void damagedFileKeepsWhatCanBeRead_data();
    void damagedFileKeepsWhatCanBeRead();
    void unreadableFileIsAnInputOutputFailure();
    void settingToBool_data();
    void settingToBool();
    void settingToBoolRejects_data();
    void settingToBoolRejects();

private:
    QString settingsFile() const
    {
        return m_folder->filePath(QStringLiteral("Velmora/Velmora.conf"));
    }

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

    const SettingsStore reader(settingsFile());
    QCOMPARE(reader.ReadSetting(QStringLiteral("Text1"), QStringLiteral("default")), value);
    QCOMPARE(storedValue(settingsFile(), QStringLiteral("Text1")), value);
    QCOMPARE(storedKeys(settingsFile()), QStringList{QStringLiteral("Text1")});
}

void TestSettingsStore::missingKeyReadsItsDefault()
{
    const SettingsStore store(settingsFile());
    QCOMPARE(store.ReadSetting(QStringLiteral("Option1"), QStringLiteral("1")),
             QStringLiteral("1"));
    QVERIFY(!QFile::exists(settingsFile()));

    // Another program's section does not count as ours.
    QVERIFY(QDir().mkpath(m_folder->filePath(QStringLiteral("Velmora"))));
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Other]\nOption1=False\n");
    file.close();
    QCOMPARE(store.ReadSetting(QStringLiteral("Option1"), QStringLiteral("1")),
             QStringLiteral("1"));
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
    QStringList keys = storedKeys(settingsFile());
    keys.sort();
    QCOMPARE(keys, (QStringList{QStringLiteral("Extension"), QStringLiteral("Option1")}));
}

void TestSettingsStore::writeIsOnDiskAtOnce()
{
    SettingsStore store(settingsFile());
    store.WriteSetting(QStringLiteral("LastFolderDot"), QStringLiteral("/data/out"));
    // Read as plain bytes, with no settings object of the program alive.
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("[Quillmere]\nLastFolderDot=/data/out\n"), text.constData());
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
    QCOMPARE(store.ReadSetting(QStringLiteral("Text1"), QStringLiteral("none")),
             QStringLiteral("none"));
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

void TestSettingsStore::unwritableFileStaysReadable()
{
    SettingsStore store(settingsFile());
    store.WriteSetting(QStringLiteral("Option3"), QStringLiteral("True"));
    if (!setUnwritable(settingsFile()))
        QSKIP("The file system cannot make a file unwritable for this user");
    const auto restore = qScopeGuard([&] { setWritable(settingsFile()); });

    try {
        store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/x/"));
        QFAIL("The write did not fail");
    } catch (const Failure &failure) {
        QVERIFY2(failure.description().contains(QStringLiteral("input/output failure")),
                 qPrintable(failure.description()));
    }
    // The same cause is told once; reading goes on with what the file holds.
    store.WriteSetting(QStringLiteral("Option1"), QStringLiteral("False"));
    QCOMPARE(store.ReadSetting(QStringLiteral("Option3"), QString()), QStringLiteral("True"));
    QCOMPARE(store.ReadSetting(QStringLiteral("Text1"), QStringLiteral("none")),
             QStringLiteral("none"));
    store.check();
}

void TestSettingsStore::checkTellsAnUnwritableFileOnce()
{
    SettingsStore store(settingsFile());
    store.WriteSetting(QStringLiteral("Option3"), QStringLiteral("True"));
    if (!setUnwritable(settingsFile()))
        QSKIP("The file system cannot make a file unwritable for this user");
    const auto restore = qScopeGuard([&] { setWritable(settingsFile()); });
    QVERIFY_THROWS_EXCEPTION(Failure, store.check());
    store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/x/"));
    setWritable(settingsFile());
    store.WriteSetting(QStringLiteral("Text1"), QStringLiteral("/y/"));
    QCOMPARE(store.ReadSetting(QStringLiteral("Text1"), QString()), QStringLiteral("/y/"));
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
    QCOMPARE(storedValue(settingsFile(), QStringLiteral("Snapshot")), QStringLiteral("/s/a.xml"));
    QCOMPARE(storedValue(settingsFile(), QStringLiteral("Option3")), QStringLiteral("True"));
}

void TestSettingsStore::unreadableFileIsAnInputOutputFailure()
{
    // A folder in the file's place cannot be read by anyone.
    makeTree(m_folder->path(), {QStringLiteral("Velmora/Velmora.conf/")});
    SettingsStore store(settingsFile());
    try {
        store.check();
        QFAIL("The failure was not told");
    } catch (const Failure &failure) {
        QVERIFY2(failure.description().contains(QStringLiteral("input/output failure")),
                 qPrintable(failure.description()));
    }
    QVERIFY_THROWS_EXCEPTION(Failure, store.ReadSetting(QStringLiteral("Text1"), QString()));
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
