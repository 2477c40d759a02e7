#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestOpenWith : public QObject {
    Q_OBJECT

private slots:
    void filesAppendedFoldersScanned();
};

void TestOpenWith::filesAppendedFoldersScanned()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeTree(root + QStringLiteral("/tree"),
             {QStringLiteral("b.xml"), QStringLiteral("a.xml"), QStringLiteral("notes.txt"),
              QStringLiteral("sub/c.xml")},
             "<r/>");
    makeTree(root, {QStringLiteral("single.txt")}, "<r/>");
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root));
    WindowFixture fixture;
    auto *list = fixture.control<FileListView>("ListView1");
    list->appendRow(QStringLiteral("/kept/first.xml"));

    fixture.window.openPaths({root + QStringLiteral("/single.txt"), QStringLiteral("tree"),
                              QStringLiteral("./gone.xml")});
    QDir::setCurrent(previous);

    QCOMPARE(
            list->rows(),
            (QStringList{QStringLiteral("/kept/first.xml"), root + QStringLiteral("/single.txt"),
                         root + QStringLiteral("/tree/a.xml"), root + QStringLiteral("/tree/b.xml"),
                         root + QStringLiteral("/tree/sub/c.xml"),
                         root + QStringLiteral("/gone.xml")}));
    QVERIFY(fixture.dialogs.allAnswersUsed());
}

QTEST_MAIN(TestOpenWith)
#include "tst_openwith.moc"
