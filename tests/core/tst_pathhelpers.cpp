#include "core/outputnaming.h"
#include "core/pathhelpers.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Main;

class TestPathHelpers : public QObject {
    Q_OBJECT

private slots:
    void windowsStyle_data();
    void windowsStyle();
    void posixStyle_data();
    void posixStyle();
    void longTextsDoNotOverflow();
    void folderExists();
    void outputNaming_data();
    void outputNaming();
};

namespace {

QString apply(const QString &operation, const QString &argument, PathStyle style)
{
    if (operation == QLatin1String("GetFileNameFromPath"))
        return GetFileNameFromPath(argument, style);
    if (operation == QLatin1String("GetFolderFromPath"))
        return GetFolderFromPath(argument, style);
    if (operation == QLatin1String("RemoveExtension"))
        return RemoveExtension(argument);
    if (operation == QLatin1String("CleanDoubleBackslashes"))
        return CleanDoubleBackslashes(argument, style);
    qFatal("unknown operation");
}

void addRow(const char *name, const char *operation, const char *argument, const char *expected)
{
    QTest::newRow(name) << QString::fromLatin1(operation) << QString::fromLatin1(argument)
                        << QString::fromLatin1(expected);
}

void addColumns()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("expected");
}

} // namespace

void TestPathHelpers::windowsStyle_data()
{
    addColumns();
    addRow("name-full", "GetFileNameFromPath", R"(C:\data\orders.xml)", "orders.xml");
    addRow("name-bare", "GetFileNameFromPath", "orders.xml", "orders.xml");
    addRow("name-trailing", "GetFileNameFromPath", R"(C:\data\)", "");
    addRow("name-slash-ordinary", "GetFileNameFromPath", R"(C:\a/b.xml)", "a/b.xml");
    addRow("folder-full", "GetFolderFromPath", R"(C:\data\orders.xml)", R"(C:\data\)");
    addRow("folder-root", "GetFolderFromPath", R"(C:\orders.xml)", R"(C:\)");
    addRow("folder-none", "GetFolderFromPath", "orders.xml", "");
    addRow("ext-plain", "RemoveExtension", "orders.xml", "orders");
    addRow("ext-two-dots", "RemoveExtension", "a.b.xml", "a.b");
    addRow("ext-none", "RemoveExtension", "orders", "orders");
    addRow("ext-leading-dot", "RemoveExtension", ".xml", ".xml");
    addRow("ext-dot-in-folder", "RemoveExtension", R"(C:\my.dir\feed)", R"(C:\my)");
    addRow("ext-empty", "RemoveExtension", "", "");
    addRow("clean-double", "CleanDoubleBackslashes", R"(C:\data\\orders.csv)",
           R"(C:\data\orders.csv)");
    addRow("clean-triple", "CleanDoubleBackslashes", R"(C:\data\\\orders.csv)",
           R"(C:\data\\orders.csv)");
    addRow("clean-quadruple", "CleanDoubleBackslashes", R"(C:\a\\\\b)", R"(C:\a\\b)");
    addRow("clean-network", "CleanDoubleBackslashes", R"(\\server\share\\x.csv)",
           R"(\\server\share\x.csv)");
    addRow("clean-one-leading", "CleanDoubleBackslashes", R"(\server\x.csv)", R"(\\server\x.csv)");
    addRow("clean-three-leading", "CleanDoubleBackslashes", R"(\\\server\x.csv)",
           R"(\\server\x.csv)");
    addRow("clean-single", "CleanDoubleBackslashes", R"(\)", R"(\\)");
    addRow("clean-only-separators", "CleanDoubleBackslashes", R"(\\\\\)", R"(\\)");
    addRow("clean-empty", "CleanDoubleBackslashes", "", "");
}

void TestPathHelpers::windowsStyle()
{
    QFETCH(QString, operation);
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    QCOMPARE(apply(operation, argument, PathStyle::Windows), expected);
}

void TestPathHelpers::posixStyle_data()
{
    addColumns();
    addRow("name-full", "GetFileNameFromPath", "/data/orders.xml", "orders.xml");
    addRow("name-bare", "GetFileNameFromPath", "orders.xml", "orders.xml");
    addRow("name-trailing", "GetFileNameFromPath", "/data/", "");
    addRow("name-backslash-ordinary", "GetFileNameFromPath", R"(/data/a\b.xml)", R"(a\b.xml)");
    addRow("folder-full", "GetFolderFromPath", "/data/orders.xml", "/data/");
    addRow("folder-root", "GetFolderFromPath", "/orders.xml", "/");
    addRow("folder-none", "GetFolderFromPath", "orders.xml", "");
    addRow("ext-dot-in-folder", "RemoveExtension", "/my.dir/feed", "/my");
    addRow("clean-double", "CleanDoubleBackslashes", "/data//orders.csv", "/data/orders.csv");
    addRow("clean-triple", "CleanDoubleBackslashes", "/data///orders.csv", "/data//orders.csv");
    addRow("clean-leading-run", "CleanDoubleBackslashes", "///data//x.csv", "/data/x.csv");
    addRow("clean-root-join", "CleanDoubleBackslashes", "//orders.csv", "/orders.csv");
    addRow("clean-single", "CleanDoubleBackslashes", "/", "/");
    addRow("clean-relative", "CleanDoubleBackslashes", "a//b", "a/b");
    addRow("clean-empty", "CleanDoubleBackslashes", "", "");
}

void TestPathHelpers::posixStyle()
{
    QFETCH(QString, operation);
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    QCOMPARE(apply(operation, argument, PathStyle::Posix), expected);
}

void TestPathHelpers::longTextsDoNotOverflow()
{
    const QString folder = QString(40000, QLatin1Char('a')) + QLatin1Char('/');
    QCOMPARE(GetFolderFromPath(folder + QStringLiteral("f.xml"), PathStyle::Posix), folder);
    QCOMPARE(RemoveExtension(folder + QStringLiteral("f.xml")), folder + QStringLiteral("f"));
}

void TestPathHelpers::folderExists()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QVERIFY(FolderExists(dir.path()));
    QVERIFY(FolderExists(dir.path() + QLatin1Char('/')));
    QVERIFY(!FolderExists(file.fileName()));
    QVERIFY(!FolderExists(QString()));
    QVERIFY(!FolderExists(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(!FolderExists(file.fileName() + QStringLiteral("/below")));
    QVERIFY(!FolderExists(QString(QStringLiteral("a")) + QChar::Null + QStringLiteral("b")));
}

void TestPathHelpers::outputNaming_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("toFolder");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("windows");

    auto row = [](const char *name, const char *input, bool toFolder, const char *folder,
                  const char *expected, bool windows) {
        QTest::newRow(name) << QString::fromLatin1(input) << toFolder << QString::fromLatin1(folder)
                            << QString::fromLatin1(expected) << windows;
    };
    row("win-beside", R"(C:\data\orders.xml)", false, R"(ignored)", R"(C:\data\orders.csv)", true);
    row("win-folder", R"(C:\data\orders.xml)", true, R"(D:\out)", R"(D:\out\orders.csv)", true);
    row("win-folder-trailing", R"(C:\data\orders.xml)", true, R"(D:\out\)", R"(D:\out\orders.csv)",
        true);
    row("win-drive-root", R"(C:\data\orders.xml)", true, R"(D:\)", R"(D:\orders.csv)", true);
    row("win-network", R"(\\srv\share\orders.xml)", false, "", R"(\\srv\share\orders.csv)", true);
    row("win-no-extension", R"(C:\my.data\feed)", false, "", R"(C:\my.data\feed.csv)", true);
    row("win-two-dots", R"(C:\data\a.b.xml)", false, "", R"(C:\data\a.b.csv)", true);
    row("win-dot-only", R"(C:\data\.xml)", false, "", R"(C:\data\.xml.csv)", true);
    row("posix-beside", "/data/orders.xml", false, "", "/data/orders.csv", false);
    row("posix-folder", "/data/orders.xml", true, "/out", "/out/orders.csv", false);
    row("posix-folder-trailing", "/data/orders.xml", true, "/out/", "/out/orders.csv", false);
    row("posix-root", "/orders.xml", false, "", "/orders.csv", false);
    row("posix-relative", "orders.xml", false, "", "orders.csv", false);
    row("posix-to-root", "/data/orders.xml", true, "/", "/orders.csv", false);
}

void TestPathHelpers::outputNaming()
{
    QFETCH(QString, input);
    QFETCH(bool, toFolder);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QFETCH(bool, windows);
    QCOMPARE(
            outputPathFor(input, toFolder, folder, windows ? PathStyle::Windows : PathStyle::Posix),
            expected);
}

QTEST_GUILESS_MAIN(TestPathHelpers)
#include "tst_pathhelpers.moc"
