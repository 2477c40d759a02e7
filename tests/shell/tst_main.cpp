#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using namespace Qt::StringLiterals;

// The window program itself, started as a user would start it.
class TestMain : public QObject {
    Q_OBJECT

private slots:
    void informationWithoutDisplay_data();
    void informationWithoutDisplay();
};

void TestMain::informationWithoutDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("help") << u"--help"_s << u"Usage: quillmere [options] [PATH...]"_s;
    QTest::newRow("h") << u"-h"_s << u"Usage: quillmere [options] [PATH...]"_s;
    QTest::newRow("version") << u"--version"_s << u"quillmere " QUILLMERE_VERSION ""_s;
}

void TestMain::informationWithoutDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, firstLine);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLMERE_BIN_DIR "/quillmere"), {option});
    QVERIFY(program.waitForFinished());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()).section(u'\n', 0, 0),
             firstLine);
    QCOMPARE(program.readAllStandardError(), QByteArray());
}

QTEST_MAIN(TestMain)
#include "tst_main.moc"
