#include "flattentesting.h"

#include <QRandomGenerator>
#include <QTest>
#include <QXmlStreamReader>

#include <optional>
#include <vector>

// The streaming walk against a plain reference: another parser builds the node tree, and the
// recursive walk over it, restoring its path on leaving an element, gives the lines expected. Both
// run on many generated documents for each delimiter.
class TestFlattenEquivalence : public QObject {
    Q_OBJECT

private slots:
    void sameLinesAsTheTreeWalk_data();
    void sameLinesAsTheTreeWalk();
};

namespace {

struct Node {
    QString name; // the node name: element name, "#text", "#comment", "#cdata-section", target
    QString value;
    std::vector<Node> children;
    std::vector<std::pair<QString, QString>> attributes; // an element's, namespaces left out
    bool element = false;
};

// The node tree as the walk sees it: whitespace-only text dropped, adjacent character data
// merged into one text node, CDATA sections, comments and processing instructions kept.
std::optional<Node> parseTree(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    std::vector<Node> open;
    std::optional<Node> root;
    QString text;
    const auto flushText = [&] {
        const bool blank = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
            return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
        });
        if (!blank && !open.empty())
            open.back().children.push_back({u"#text"_qs, text, {}, {}});
        text.clear();
    };
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::Characters && !reader.isCDATA()) {
            text += reader.text();
            continue;
        }
        flushText();
        if (open.empty() && token != QXmlStreamReader::StartElement)
            continue;
        switch (token) {
        case QXmlStreamReader::StartElement: {
            Node node{reader.qualifiedName().toString(), {}, {}, {}, true};
            for (const QXmlStreamAttribute &attribute : reader.attributes()) {
                const QString name = attribute.qualifiedName().toString();
                if (name != u"xmlns" && !name.startsWith(u"xmlns:"))
                    node.attributes.emplace_back(name, attribute.value().toString());
            }
            open.push_back(std::move(node));
            break;
        }
        case QXmlStreamReader::EndElement: {
            Node done = std::move(open.back());
            open.pop_back();
            if (open.empty())
                root = std::move(done);
            else
                open.back().children.push_back(std::move(done));
            break;
        }
        case QXmlStreamReader::Characters:
            open.back().children.push_back(
                    {u"#cdata-section"_qs, reader.text().toString(), {}, {}});
            break;
        case QXmlStreamReader::Comment:
            open.back().children.push_back({u"#comment"_qs, reader.text().toString(), {}, {}});
            break;
        case QXmlStreamReader::ProcessingInstruction:
            open.back().children.push_back({reader.processingInstructionTarget().toString(),
                                            reader.processingInstructionData().toString(),
                                            {},
                                            {}});
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return root;
}

void attributeLines(const Node &element, QString &output, const QString &delimiter,
                    const QString &path)
{
    for (const auto &[name, value] : element.attributes)
        output += path + delimiter + u'@' + name + delimiter + value + u"\r\n";
}

// The walk as its steps read, on a tree in memory; with attributes, an element's attribute
// lines come first, under the element's own path.
void treeWalk(const Node *node, QString &output, const QString &delimiter, QString &path,
              bool attributes)
{
    if (!node)
        return;
    if (path.isEmpty())
        path = node->name;
    if (attributes)
        attributeLines(*node, output, delimiter, path);
    const std::size_t count = node->children.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Node &child = node->children[i];
        const QString name = child.name;
        if (name == u"#text")
            output += path + delimiter + QString(child.value).replace(u"&#13;"_qs, QString())
                    + u"\r\n";
        if (!child.children.empty()) {
            const QString entered = path;
            path += delimiter + name;
            treeWalk(&child, output, delimiter, path, attributes);
            // Without a delimiter the path never shortens.
            if (!delimiter.isEmpty())
                path = entered;
        } else if (name != u"#text") {
            if (attributes && child.element)
                attributeLines(child, output, delimiter, path + delimiter + name);
            output += path + delimiter + name + delimiter + child.value + u"\r\n";
        }
    }
}

// Documents with nesting, mixed content, CDATA, comments, processing instructions, character
// and entity references, and names and values that hold delimiter text.
class DocumentGenerator {
public:
    explicit DocumentGenerator(quint32 seed) : m_random(seed) { }

    QByteArray document()
    {
        QString xml;
        if (chance(50))
            xml += u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"_qs;
        m_entities = chance(50);
        if (m_entities)
            xml += u"<!DOCTYPE r [<!ENTITY t 'a&#38;#38;#13;b'><!ENTITY m '<i>x</i> y'>]>\n"_qs;
        misc(xml);
        element(xml, 0);
        misc(xml);
        return xml.toUtf8();
    }

private:
    bool chance(int percent) { return static_cast<int>(m_random.bounded(100)) < percent; }
    template<typename T> const T &pick(const std::vector<T> &from)
    {
        return from[m_random.bounded(static_cast<quint32>(from.size()))];
    }

    void misc(QString &xml)
    {
        if (chance(30))
            xml += u"<!-- outside -->"_qs;
        if (chance(30))
            xml += u"<?outside data?>\n"_qs;
    }

    void element(QString &xml, int depth)
    {
        static const std::vector<QString> names = {
                u"a"_qs,   u"b"_qs,    u"item"_qs,   u"x-y"_qs,           u"a---b"_qs,   u"p.q"_qs,
                u"r-"_qs,  u"n--m"_qs, u"\u00e9"_qs, u"\u540d\u524d"_qs,  u"n:el"_qs,    u"aa"_qs,
                u"aab"_qs, u"ab-"_qs,  u"x.-.y"_qs,  u"\u00e9a\u00e9"_qs, u"c\u00b7d"_qs};
        const QString name
                = depth == 0 ? QString(pick(names)).replace(u"n:"_qs, u"n"_qs) : pick(names);
        xml += u'<' + name;
        if (depth == 0)
            xml += u" xmlns:n=\"urn:n\""_qs;
        if (chance(20))
            xml += u" id=\"1\" n:at=\"a,b\" q='&quot;x-y&#10;'"_qs;
        if (chance(10)) {
            xml += u"/>"_qs;
            return;
        }
        xml += u'>';
        const int children = depth >= 6 ? static_cast<int>(m_random.bounded(3))
                                        : static_cast<int>(m_random.bounded(6));
        for (int i = 0; i < children; ++i)
            content(xml, depth);
        xml += u"</"_qs + name + u'>';
    }

    void content(QString &xml, int depth)
    {
        static const std::vector<QString> texts
                = {u"v"_qs,      u"9.50"_qs,      u"hello world"_qs,  u"a,b;c"_qs,
                   u"x--y"_qs,   u"--"_qs,        u"&amp;"_qs,        u"&lt;&gt;"_qs,
                   u"&#13;"_qs,  u"&#10;"_qs,     u"&amp;#13;"_qs,    u"&amp;#1"_qs,
                   u"3;"_qs,     u"&#233;"_qs,    u"\r\n"_qs,         u" "_qs,
                   u"\t"_qs,     u"\n  "_qs,      u"\u00e9\u20ac"_qs, u"aa"_qs,
                   u"]]&gt;"_qs, u"&#x1F600;"_qs, u"a.b-c"_qs,        u"\u00e9a"_qs};
        static const std::vector<QString> sections
                = {u""_qs, u" "_qs, u"x&#13;y"_qs, u"<b>&amp;"_qs, u"a]]b"_qs, u"\r\n"_qs};
        static const std::vector<QString> comments
                = {u""_qs, u"c"_qs, u" &#13; "_qs, u"a-b"_qs, u"x,y"_qs};
        static const std::vector<QString> instructions
                = {u"<?pi?>"_qs, u"<?pi data?>"_qs, u"<?t-x   lead and trail ?>"_qs,
                   u"<?n.p a,b?>"_qs};
        const int kind = static_cast<int>(m_random.bounded(100));
        if (kind < 40) {
            const int pieces = 1 + static_cast<int>(m_random.bounded(3));
            for (int i = 0; i < pieces; ++i)
                xml += pick(texts);
        } else if (kind < 48) {
            xml += u"<![CDATA["_qs + pick(sections) + u"]]>"_qs;
        } else if (kind < 55) {
            xml += u"<!--"_qs + pick(comments) + u"-->"_qs;
        } else if (kind < 60) {
            xml += pick(instructions);
        } else if (kind < 65 && m_entities) {
            xml += chance(50) ? u"&t;"_qs : u"&m;"_qs;
        } else {
            element(xml, depth + 1);
        }
    }

    QRandomGenerator m_random;
    bool m_entities = false;
};

} // namespace

void TestFlattenEquivalence::sameLinesAsTheTreeWalk_data()
{
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("attributes");
    QTest::newRow("comma") << u","_qs << false;
    QTest::newRow("commaSpace") << u", "_qs << false;
    QTest::newRow("tab") << u"\t"_qs << false;
    QTest::newRow("hyphen") << u"-"_qs << false;
    QTest::newRow("doubleHyphen") << u"--"_qs << false;
    QTest::newRow("dot") << u"."_qs << false;
    QTest::newRow("hyphenDotHyphen") << u"-.-"_qs << false;
    QTest::newRow("letter") << u"a"_qs << false;
    QTest::newRow("doubleLetter") << u"aa"_qs << false;
    QTest::newRow("twoLetters") << u"ab"_qs << false;
    QTest::newRow("nonAscii") << u"\u00e9"_qs << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("commaAttributes") << u","_qs << true;
    QTest::newRow("hyphenAttributes") << u"-"_qs << true;
    QTest::newRow("doubleLetterAttributes") << u"aa"_qs << true;
}

void TestFlattenEquivalence::sameLinesAsTheTreeWalk()
{
    QFETCH(QString, delimiter);
    QFETCH(bool, attributes);
    CsvFormat format;
    format.delimiter = delimiter;
    format.attributes = attributes;
    for (quint32 seed = 1; seed <= 300; ++seed) {
        const QByteArray xml = DocumentGenerator(seed).document();
        const std::optional<Node> tree = parseTree(xml);
        QVERIFY2(tree, xml.constData());
        QString expected;
        QString path;
        treeWalk(&*tree, expected, delimiter, path, attributes);

        const Flattened flattened = flattenBytes(xml, format);
        if (!flattened.result.converted() || flattened.output != expected.toUtf8())
            qWarning("seed %u, document:\n%s", seed, xml.constData());
        QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
        QCOMPARE(QString::fromUtf8(flattened.output), expected);
        // Chunk boundaries at every kind of place: inside names, references and characters.
        if (seed % 5 == 0)
            QCOMPARE(flattenTrickled(xml, format).output, flattened.output);
    }
}

QTEST_GUILESS_MAIN(TestFlattenEquivalence)
#include "tst_flatten_equivalence.moc"
