#include "cli/runcli.h"

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

// The quoted output read back by a real CSV reader, Python's csv module: every row holds
// exactly the fields of its line in the document, value for value.
class TestCsvReader : public QObject {
    Q_OBJECT

private slots:
    void samplesReadBack_data();
    void samplesReadBack();
    void generatedReadBack_data();
    void generatedReadBack();

private:
    void verifyReadBack(const QByteArray &xml, const QString &delimiter, const QString &quote);
};

namespace {

using Rows = QList<QStringList>;

// The fields of every line: the element names of the path, then the value (or the node's name
// and value for a comment, CDATA section or instruction; an empty value for a childless element).
Rows expectedRows(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    QStringList path;
    QList<bool> hasChildren;
    QString text;
    Rows rows;
    const auto line = [&](QStringList fields) {
        if (!hasChildren.isEmpty())
            hasChildren.last() = true;
        rows.append(path + fields);
    };
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::Characters && !reader.isCDATA()) {
            text += reader.text();
            continue;
        }
        if (!text.trimmed().isEmpty() && !path.isEmpty())
            line({text.replace(u"&#13;"_s, QString())});
        text.clear();
        if (path.isEmpty() && token != QXmlStreamReader::StartElement)
            continue;
        switch (token) {
        case QXmlStreamReader::StartElement:
            if (!hasChildren.isEmpty())
                hasChildren.last() = true;
            path.append(reader.qualifiedName().toString());
            hasChildren.append(false);
            break;
        case QXmlStreamReader::EndElement: {
            const QString name = path.takeLast();
            if (!hasChildren.takeLast())
                line({name, QString()});
            break;
        }
        case QXmlStreamReader::Characters:
            line({u"#cdata-section"_s, reader.text().toString()});
            break;
        case QXmlStreamReader::Comment:
            line({u"#comment"_s, reader.text().toString()});
            break;
        case QXmlStreamReader::ProcessingInstruction:
            line({reader.processingInstructionTarget().toString(),
                  reader.processingInstructionData().toString()});
            break;
        default:
            break;
        }
    }
    return rows;
}

Rows readWithPython(const QString &file, const QString &delimiter)
{
    QProcess python;
    python.start(u"/usr/bin/python3"_s,
                 {QStringLiteral(QUILLMERE_TEST_DATA "/read_csv.py"), file, delimiter});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("%s", python.readAllStandardError().constData());
        return {};
    }
    Rows rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue &field : row.toArray())
            fields.append(field.toString());
        rows.append(fields);
    }
    return rows;
}

QByteArray generatedDocument(quint32 seed)
{
    static const QStringList values
            = {u"plain"_s,     u"a,b"_s,           u"semi;colon"_s, u"say \"hi\""_s, u"\""_s,
               u"1&#13;2"_s,   u"line\nnext"_s,    u"tab\there"_s,  u"a, b"_s,       u"|pipe|"_s,
               u"&amp;#13;"_s, u"\u00e9t\u00e9"_s, u" lead"_s};
    QRandomGenerator random(seed);
    const auto value = [&] {
        return values[random.bounded(int(values.size()))];
    };
    QString xml = u"<doc>"_s;
    for (int i = 0; i < 40; ++i) {
        switch (random.bounded(5)) {
        case 0:
            xml += u"<v>"_s + value() + value() + u"</v>"_s;
            break;
        case 1:
            xml += u"<g><v>"_s + value() + u"</v><e/></g>"_s;
            break;
        case 2:
            xml += u"<![CDATA["_s + value().replace(u'&', u'+') + u"]]>"_s;
            break;
        case 3:
            xml += u"<!--"_s + value().replace(u'&', u'+') + u"-->"_s;
            break;
        default:
            xml += value();
            break;
        }
    }
    return (xml + u"</doc>"_s).toUtf8();
}

} // namespace

void TestCsvReader::verifyReadBack(const QByteArray &xml, const QString &delimiter,
                                   const QString &quote)
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile input(dir.filePath(u"in.xml"_s));
    QVERIFY(input.open(QIODevice::WriteOnly));
    input.write(xml);
    input.close();

    QBuffer in;
    QBuffer out;
    QBuffer err;
    err.open(QIODevice::WriteOnly);
    const int status
            = runCli({u"quillmere-cli"_s, u"-d"_s, delimiter, quote, u"--bom"_s, input.fileName()},
                     in, out, err);
    QVERIFY2(status == 0, err.data().constData());
    const Rows expected = expectedRows(xml);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(readWithPython(dir.filePath(u"in.csv"_s), delimiter), expected);
}

void TestCsvReader::samplesReadBack_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("delimiter");
    const QDir samples(QStringLiteral(QUILLMERE_BIN_DIR "/Samples"));
    const QStringList files = samples.entryList({u"*.xml"_s}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString &file : files) {
        QTest::addRow("%s", qPrintable(file.section(u'-', 0, 0) + u"comma"_s))
                << samples.filePath(file) << u","_s;
        QTest::addRow("%s", qPrintable(file.section(u'-', 0, 0) + u"tab"_s))
                << samples.filePath(file) << u"\t"_s;
    }
}

void TestCsvReader::samplesReadBack()
{
    QFETCH(QString, file);
    QFETCH(QString, delimiter);
    QFile sample(file);
    QVERIFY(sample.open(QIODevice::ReadOnly));
    verifyReadBack(sample.readAll(), delimiter, u"--quote"_s);
}

void TestCsvReader::generatedReadBack_data()
{
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("quote");
    QTest::newRow("comma") << u","_s << u"--quote"_s;
    QTest::newRow("semicolon") << u";"_s << u"--quote"_s;
    QTest::newRow("tab") << u"\t"_s << u"--quote"_s;
    QTest::newRow("pipe") << u"|"_s << u"--quote"_s;
    QTest::newRow("commaAll") << u","_s << u"--quote=all"_s;
    QTest::newRow("commaSpace") << u", "_s << u"--quote=all"_s;
    QTest::newRow("commaSpaceNeeded") << u", "_s << u"--quote"_s;
}

void TestCsvReader::generatedReadBack()
{
    QFETCH(QString, delimiter);
    QFETCH(QString, quote);
    for (quint32 seed = 1; seed <= 5; ++seed)
        verifyReadBack(generatedDocument(seed), delimiter, quote);
}

QTEST_GUILESS_MAIN(TestCsvReader)
#include "tst_csvreader.moc"
