#include "conversion/walk/blankrun.h"
#include "core/failure.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// Long runs of blanks are kept as patterns and repeats: what is written back must be exactly
// what came in, however the pattern changes and however the run arrives in pieces.
class TestBlankRun : public QObject {
    Q_OBJECT

private slots:
    void writesBackWhatCameIn_data();
    void writesBackWhatCameIn();
    void missingTemporaryFolderIsNamed();
};

void TestBlankRun::writesBackWhatCameIn_data()
{
    QTest::addColumn<QByteArray>("blanks");
    QRandomGenerator random(7);
    QByteArray aperiodic;
    for (int i = 0; i < 300000; ++i)
        aperiodic += " \t\n"[random.bounded(3)];
    const QByteArray pattern = QByteArray(" \n").repeated(100000);

    QTest::newRow("short") << QByteArray(" \n\t ");
    QTest::newRow("oneByte") << QByteArray(200000, ' ');
    QTest::newRow("pattern") << pattern;
    QTest::newRow("patternThenOther")
            << pattern + QByteArray("\t").repeated(150000) + QByteArray("\n    ").repeated(30000);
    QTest::newRow("brokenRepeat") << pattern + "\t" + pattern + " ";
    QTest::newRow("partialRepeatAtEnd") << pattern + QByteArray("\n   \t").repeated(40000) + "\n  ";
    QTest::newRow("aperiodic") << aperiodic;
    QTest::newRow("aperiodicThenPattern") << aperiodic + pattern + aperiodic;
    // Long enough that blanks following no pattern go to the spill file.
    const QByteArray spilled = aperiodic.repeated(7);
    QTest::newRow("spilled") << spilled;
    QTest::newRow("spilledAroundPatterns")
            << spilled + pattern + spilled + QByteArray(300000, '\t') + spilled + "\n  ";
}

void TestBlankRun::writesBackWhatCameIn()
{
    QFETCH(QByteArray, blanks);
    QRandomGenerator random(11);
    BlankRun run;
    // A cleared run is used again, as a walk uses it for every text.
    for (int pass = 0; pass < 2; ++pass) {
        for (qsizetype at = 0; at < blanks.size();) {
            const qsizetype piece
                    = std::min<qsizetype>(blanks.size() - at, random.bounded(1, 9000));
            run.append(blanks.constData() + at, static_cast<std::size_t>(piece));
            at += piece;
        }
        QByteArray written;
        run.writeTo([&](const char *data, std::size_t size) {
            written.append(data, static_cast<qsizetype>(size));
        });
        QCOMPARE(written.size(), blanks.size());
        QVERIFY(written == blanks);
        run.clear();
        QVERIFY(run.empty());
    }
}

// Blanks that must wait in the temporary folder fail the file with that folder's name and why.
void TestBlankRun::missingTemporaryFolderIsNamed()
{
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing"));
    const QByteArray tmpdir = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] { qputenv("TMPDIR", tmpdir); });
    qputenv("TMPDIR", QFile::encodeName(missing));
    QRandomGenerator random(7);
    QByteArray aperiodic;
    for (int i = 0; i < 2000000; ++i)
        aperiodic += " \t\n"[random.bounded(3)];

    BlankRun run;
    QString reason;
    try {
        run.append(aperiodic.constData(), static_cast<std::size_t>(aperiodic.size()));
    } catch (const Failure &failure) {
        reason = failure.description();
    }
    QCOMPARE(reason,
             QStringLiteral("Cannot hold a long run of blanks in the temporary folder %1: No such "
                            "file or directory")
                     .arg(missing));
}

QTEST_GUILESS_MAIN(TestBlankRun)
#include "tst_blankrun.moc"
