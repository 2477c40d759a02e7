#include "cli/runcli.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The manual pages and the bash completion: installed where man and bash look, and naming every
// option the programs know.
class TestCliManual : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyOptionDocumented();
    void everyExitStatusDocumented();
    void bashCompletes_data();
    void bashCompletes();
    void installedWhereLookedFor_data();
    void installedWhereLookedFor();

private:
    QString m_help;
    QStringList m_options;
};

namespace {

const QString sources = QStringLiteral(QUILLMERE_TEST_DATA "/../../cli/");

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList longOptions(const QString &text)
{
    QStringList options;
    const QRegularExpression option(u"(--[a-z-]+)"_s);
    for (const auto &match : option.globalMatch(text))
        options.append(match.captured(1));
    options.removeDuplicates();
    return options;
}

} // namespace

void TestCliManual::initTestCase()
{
    QBuffer in;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QBuffer err;
    QCOMPARE(runCli({u"quillmere-cli"_s, u"--help"_s}, in, out, err), 0);
    m_help = QString::fromUtf8(out.data());
    m_options = longOptions(m_help);
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

// Scripts act on the exit status: --help and the manual page list the same ones, and both say
// that --stdout keeps what it wrote before a fault.
void TestCliManual::everyExitStatusDocumented()
{
    const QString manual = fileText(sources + u"quillmere-cli.1"_s);
    const auto listed = [](const QString &text, const QString &pattern) {
        QStringList statuses;
        for (const auto &match :
             QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text))
            statuses.append(match.captured(1));
        return statuses;
    };
    const QStringList expected{u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"128+N"_s};
    QCOMPARE(listed(m_help.section(u"Exit status:\n"_s, 1), u"^  (\\S+) "_s), expected);
    QCOMPARE(listed(manual.section(u".SH EXIT STATUS"_s, 1).section(u".SH "_s, 0, 0),
                    u"^\\.B (\\S+)$"_s),
             expected);
    QVERIFY(m_help.simplified().contains(u"what was written before the fault stays written"_s));
    QVERIFY(manual.simplified().contains(u"what was written before the fault stays written"_s));
}

void TestCliManual::bashCompletes_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("option") << u"quillmere-cli --quo"_s << u"--quote --quote=all"_s;
    QTest::newRow("eolValue") << u"quillmere-cli --eol "_s << u"crlf lf"_s;
    QTest::newRow("errorFormat") << u"quillmere-cli --error-format g"_s << u"gnu"_s;
    QTest::newRow("file") << u"quillmere-cli in"_s << u"in.xml"_s;
    // Bash splits "--eol=lf" into three words at the "=", as the rows spell it.
    QTest::newRow("eolJoined") << u"quillmere-cli --eol ="_s << u"crlf lf"_s;
    QTest::newRow("errorFormatJoined") << u"quillmere-cli --error-format = g"_s << u"gnu"_s;
    QTest::newRow("quoteJoined") << u"quillmere-cli --quote ="_s << u"all"_s;
    QTest::newRow("quoteThenFile") << u"quillmere-cli --quote in"_s << u"in.xml"_s;
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

void TestCliManual::installedWhereLookedFor_data()
{
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("cli") << u"cli"_s << u"quillmere-cli"_s
                         << QStringList{u"share/man/man1/quillmere-cli.1.gz"_s,
                                        u"share/bash-completion/completions/quillmere-cli"_s,
                                        u"share/doc/quillmere-cli/copyright"_s};
    QTest::newRow("window") << u"window"_s << u"quillmere"_s
                            << QStringList{u"share/man/man1/quillmere.1.gz"_s,
                                           u"share/doc/quillmere/changelog.gz"_s};
}

// The installed program's --help, read through its link in bin/ without a display, and the
// installed manual page as man shows it: the page names every option the program lists.
void TestCliManual::installedWhereLookedFor()
{
    QFETCH(QString, component);
    QFETCH(QString, program);
    QFETCH(QStringList, files);
    if (!QFile::exists(QStringLiteral(QUILLMERE_BIN_DIR "/") + program))
        QSKIP("This build makes no window.");
    QTemporaryDir prefix;
    QProcess install;
    install.start(u"cmake"_s,
                  {u"--install"_s, QStringLiteral(QUILLMERE_BIN_DIR "/.."), u"--prefix"_s,
                   prefix.path(), u"--component"_s, component});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    for (const QString &file : std::as_const(files))
        QVERIFY2(QFile::exists(prefix.filePath(file)), qPrintable(file));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess help;
    help.setProcessEnvironment(environment);
    help.start(prefix.filePath(u"bin/"_s + program), {u"--help"_s});
    QVERIFY(help.waitForFinished(60000));
    const QStringList options = longOptions(QString::fromLocal8Bit(help.readAllStandardOutput()));
    QVERIFY(options.contains(u"--version"_s));

    QProcess man;
    man.setProcessEnvironment(environment);
    man.start(u"man"_s, {u"-M"_s, prefix.filePath(u"share/man"_s), program});
    QVERIFY(man.waitForFinished(60000));
    QCOMPARE(man.exitCode(), 0);
    const QString page = QString::fromUtf8(man.readAllStandardOutput());
    for (const QString &option : options)
        QVERIFY2(page.contains(option), qPrintable(option));
}

QTEST_GUILESS_MAIN(TestCliManual)
#include "tst_cli_manual.moc"
