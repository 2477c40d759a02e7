#include "cli/runcli.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The manual page and the bash completion: installed where man and bash look, and naming every
// option the program knows.
class TestCliManual : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyOptionDocumented();
    void bashCompletes_data();
    void bashCompletes();
    void installedWhereLookedFor();

private:
    QStringList m_options;
    QTemporaryDir m_prefix;
};

namespace {

const QString sources = QStringLiteral(QUILLMERE_TEST_DATA "/../../cli/");

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

void TestCliManual::initTestCase()
{
    QBuffer in;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QBuffer err;
    QCOMPARE(runCli({u"quillmere-cli"_s, u"--help"_s}, in, out, err), 0);
    const QRegularExpression option(u"(--[a-z-]+)"_s);
    for (const auto &match : option.globalMatch(QString::fromUtf8(out.data())))
        m_options.append(match.captured(1));
    m_options.removeDuplicates();
    QVERIFY(m_options.contains(u"--attributes"_s));
}

void TestCliManual::everyOptionDocumented()
{
    const QString manual = fileText(sources + u"quillmere-cli.1"_s).replace(u"\\-"_s, u"-"_s);
    const QString completion = fileText(sources + u"quillmere-cli.bash"_s);
    for (const QString &option : std::as_const(m_options)) {
        QVERIFY2(manual.contains(option), qPrintable(option));
        QVERIFY2(completion.contains(option), qPrintable(option));
    }
}

void TestCliManual::bashCompletes_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("option") << u"quillmere-cli --quo"_s << u"--quote --quote=all"_s;
    QTest::newRow("eolValue") << u"quillmere-cli --eol "_s << u"crlf lf"_s;
    QTest::newRow("errorFormat") << u"quillmere-cli --error-format g"_s << u"gnu"_s;
    QTest::newRow("file") << u"quillmere-cli in"_s << u"in.xml"_s;
}

void TestCliManual::bashCompletes()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QFile input(dir.filePath(u"in.xml"_s));
    QVERIFY(input.open(QIODevice::WriteOnly));
    input.close();
    QProcess bash;
    bash.setWorkingDirectory(dir.path());
    const QString script = u"source \"$1\"; read -ra COMP_WORDS <<< \"$2\"; "
                           "[[ $2 == *' ' ]] && COMP_WORDS+=(''); "
                           "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quillmere_cli; "
                           "echo \"${COMPREPLY[*]}\""_s;
    bash.start(u"/usr/bin/bash"_s,
               {u"--norc"_s, u"-c"_s, script, u"bash"_s, sources + u"quillmere-cli.bash"_s, line});
    QVERIFY(bash.waitForFinished());
    QCOMPARE(QString::fromUtf8(bash.readAllStandardOutput()).trimmed(), expected);
}

void TestCliManual::installedWhereLookedFor()
{
    QVERIFY(m_prefix.isValid());
    QProcess install;
    install.start(u"cmake"_s,
                  {u"--install"_s, QStringLiteral(QUILLMERE_BIN_DIR "/.."), u"--prefix"_s,
                   m_prefix.path(), u"--component"_s, u"cli"_s});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    QVERIFY(QFile::exists(m_prefix.filePath(u"share/bash-completion/completions/quillmere-cli"_s)));

    QProcess man;
    man.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    man.start(u"man"_s, {u"-M"_s, m_prefix.filePath(u"share/man"_s), u"quillmere-cli"_s});
    QVERIFY(man.waitForFinished(60000));
    QCOMPARE(man.exitCode(), 0);
    QVERIFY(man.readAllStandardOutput().contains("--attributes"));
}

QTEST_GUILESS_MAIN(TestCliManual)
#include "tst_cli_manual.moc"
