#include "core/applicationfolder.h"
#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QStringList names(const char *spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(u' ', Qt::SkipEmptyParts);
}

// A shown window whose list holds the rows, with the column start-up adds.
struct ListFixture : WindowFixture {
    explicit ListFixture(const QStringList &rows)
    {
        list = control<FileListView>("ListView1");
        list->setHeaderLabels({u"XML File(s)"_s});
        for (const QString &row : rows)
            list->appendRow(row);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
    }

    QPoint centreOf(int row) const
    {
        return list->visualItemRect(list->topLevelItem(row)).center();
    }
    QWidget *viewport() const { return list->viewport(); }
    int selectedRow() const
    {
        const auto selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.front());
    }
    void select(int row) { list->setCurrentItem(list->topLevelItem(row)); }

    FileListView *list = nullptr;
};

} // namespace

class TestFileList : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void keyRemovesSelectedRow_data();
    void keyRemovesSelectedRow();
    void doubleClickRemovesSelectedRow();
    void removalDoesNothingWithoutSelection();
    void removalAndClearingRefused_data();
    void removalAndClearingRefused();
    void removalAndClearingRefusedDuringFirstYieldsOfRun();
    void clearListEmptiesWithoutQuestion();
    void draggingReorders_data();
    void draggingReorders();
    void pressOutsideTheRowsDragsNothing();
    void draggingScrollsAtTheEdgesOnly();
    void moveWithoutButtonAfterALostReleaseKeepsRows();
    void reorderingRefusedDuringRun();
    void dragPointer_data();
    void dragPointer();
    void isInListComparesExactly_data();
    void isInListComparesExactly();
};

void TestFileList::cleanup()
{
    setApplicationFolderForTesting({});
}

void TestFileList::keyRemovesSelectedRow_data()
{
    QTest::addColumn<int>("selected"); // -1: none, the list entered with the keyboard
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("delete") << 1 << int(Qt::Key_Delete) << 0 << names("a c");
    QTest::newRow("shiftDelete") << 1 << int(Qt::Key_Delete) << int(Qt::ShiftModifier)
                                 << names("a c");
    QTest::newRow("ctrlDelete") << 1 << int(Qt::Key_Delete) << int(Qt::ControlModifier)
                                << names("a c");
    QTest::newRow("altDelete") << 1 << int(Qt::Key_Delete) << int(Qt::AltModifier) << names("a c");
    QTest::newRow("backspace") << 1 << int(Qt::Key_Backspace) << 0 << names("a b c");
    QTest::newRow("letterD") << 1 << int(Qt::Key_D) << 0 << names("a b c");
    // Tabbed into, the list has a current row, framed, and none selected.
    QTest::newRow("tabbedIn") << -1 << int(Qt::Key_Delete) << 0 << names("b c");
    QTest::newRow("tabbedInBackspace") << -1 << int(Qt::Key_Backspace) << 0 << names("a b c");
}

void TestFileList::keyRemovesSelectedRow()
{
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, expected);
    ListFixture fixture(names("a b c"));
    if (selected >= 0) {
        fixture.select(selected);
    } else {
        fixture.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
        auto *before = fixture.control<QWidget>("PushButton1");
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(fixture.list->hasFocus());
        QCOMPARE(fixture.selectedRow(), -1);
    }
    QTest::keyClick(fixture.list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(fixture.list->rows(), expected);
    QVERIFY(fixture.dialogs.calls().isEmpty());
}

void TestFileList::doubleClickRemovesSelectedRow()
{
    ListFixture fixture(names("a b c"));
    // QTest sends the double-click alone; a real one follows a click.
    QTest::mouseClick(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(1));
    QTest::mouseDClick(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(1));
    QCOMPARE(fixture.list->rows(), names("a c"));

    // The selected row goes, not the one under the pointer.
    fixture.select(0);
    fixture.window.ListView1_DblClick();
    QCOMPARE(fixture.list->rows(), names("c"));
}

void TestFileList::removalDoesNothingWithoutSelection()
{
    ListFixture fixture(names("a b"));
    fixture.list->setCurrentItem(nullptr);
    QTest::keyClick(fixture.list, Qt::Key_Delete);
    fixture.window.ListView1_DblClick();
    QCOMPARE(fixture.list->rows(), names("a b"));
    // A double-click removes only a selected row, never the one merely framed.
    fixture.list->setCurrentItem(fixture.list->topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
    fixture.window.ListView1_DblClick();
    QCOMPARE(fixture.list->rows(), names("a b"));

    ListFixture empty({});
    QTest::keyClick(empty.list, Qt::Key_Delete);
    empty.window.ListView1_DblClick();
    QCOMPARE(empty.list->rowCount(), 0);
}

void TestFileList::removalAndClearingRefused_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("delete") << u"delete"_s;
    QTest::newRow("doubleClick") << u"doubleClick"_s;
    QTest::newRow("clearList") << u"clearList"_s;
}

void TestFileList::removalAndClearingRefused()
{
    QFETCH(QString, action);
    ListFixture fixture(names("a b"));
    fixture.select(0);
    fixture.window.setPointer(Form1::PointerKind::Busy);
    if (action == u"delete")
        QTest::keyClick(fixture.list, Qt::Key_Delete);
    else if (action == u"doubleClick")
        QTest::mouseDClick(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(0));
    else
        fixture.control<QPushButton>("PushButton6")->click();
    QCOMPARE(fixture.list->rows(), names("a b"));
    QVERIFY(fixture.dialogs.calls().isEmpty());
}

void TestFileList::removalAndClearingRefusedDuringFirstYieldsOfRun()
{
    QTemporaryDir folder;
    const QString input = folder.filePath(u"in.xml"_s);
    QFile file(input);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<r><a>1</a></r>");
    file.close();

    ListFixture fixture({input, input});
    fixture.control<QRadioButton>("Option7")->setChecked(true);
    fixture.select(0);
    bool ran = false;
    // Runs during the run's first yield, before the hourglass shows.
    QTimer::singleShot(0, &fixture.window, [&] {
        ran = true;
        QCOMPARE(fixture.window.pointer(), Form1::PointerKind::Default);
        QVERIFY(fixture.window.runInProgress());
        QTest::keyClick(fixture.list, Qt::Key_Delete);
        fixture.window.ListView1_DblClick();
        fixture.control<QPushButton>("PushButton6")->click();
    });
    fixture.control<QPushButton>("PushButton2")->click();
    QVERIFY(ran);
    QCOMPARE(fixture.list->rows(), QStringList({input, input}));
    QCOMPARE(fixture.dialogs.messages(), names("Done."));
}

void TestFileList::clearListEmptiesWithoutQuestion()
{
    ListFixture fixture(names("a b c"));
    fixture.control<QPushButton>("PushButton6")->click();
    QCOMPARE(fixture.list->rowCount(), 0);
    QVERIFY(fixture.dialogs.calls().isEmpty());
    QCOMPARE(fixture.list->columnCount(), 1);
}

void TestFileList::draggingReorders_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("pressed");
    QTest::addColumn<QList<int>>("movesOver");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("selected");

    QTest::newRow("example") << names("A B C") << 0 << QList<int>{1, 2} << names("B C A") << 2;
    QTest::newRow("pastThreeRows")
            << names("A B C D E") << 0 << QList<int>{1, 2, 3} << names("B C D A E") << 3;
    QTest::newRow("upwards") << names("A B C") << 2 << QList<int>{1, 0} << names("C A B") << 0;
    QTest::newRow("backAndForth") << names("A B C") << 0 << QList<int>{1, 0} << names("A B C") << 0;
    // Equal texts never swap and the dragged row stays where it was.
    QTest::newRow("equalTexts") << names("X X B") << 0 << QList<int>{1} << names("X X B") << 0;
    QTest::newRow("equalThenOther")
            << names("X X B") << 0 << QList<int>{1, 2} << names("B X X") << 2;
    QTest::newRow("overItself") << names("A B") << 0 << QList<int>{0} << names("A B") << 0;
}

void TestFileList::draggingReorders()
{
    QFETCH(QStringList, rows);
    QFETCH(int, pressed);
    QFETCH(QList<int>, movesOver);
    QFETCH(QStringList, expected);
    QFETCH(int, selected);
    ListFixture fixture(rows);

    QTest::mousePress(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(pressed));
    for (int row : movesOver)
        QTest::mouseMove(fixture.viewport(), fixture.centreOf(row));
    QTest::mouseRelease(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(movesOver.last()));

    QCOMPARE(fixture.list->rows(), expected);
    QCOMPARE(fixture.selectedRow(), selected);
    // Released: moves without a button swap nothing.
    QTest::mouseMove(fixture.viewport(), fixture.centreOf(pressed));
    QCOMPARE(fixture.list->rows(), expected);
}

void TestFileList::pressOutsideTheRowsDragsNothing()
{
    ListFixture fixture(names("A B C"));
    QTest::mouseClick(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(1));
    QTest::keyClick(fixture.list, Qt::Key_Delete);
    QCOMPARE(fixture.list->rows(), names("A C"));

    // A press below the rows starts no drag: neither with the row dragged last removed since,
    // nor with that row still in the list.
    const QPoint below(5, fixture.viewport()->height() - 3);
    QVERIFY(!fixture.list->itemAt(below));
    for (int dragged : {-1, 0}) {
        if (dragged >= 0)
            QTest::mouseClick(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(dragged));
        QTest::mousePress(fixture.viewport(), Qt::LeftButton, {}, below);
        QTest::mouseMove(fixture.viewport(), fixture.centreOf(0));
        QTest::mouseMove(fixture.viewport(), fixture.centreOf(1));
        QTest::mouseRelease(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(1));
        QCOMPARE(fixture.list->rows(), names("A C"));
    }
}

void TestFileList::draggingScrollsAtTheEdgesOnly()
{
    QStringList rows;
    for (int i = 0; i < 40; ++i)
        rows.append(u"row%1"_s.arg(i, 2, 10, QChar(u'0')));
    ListFixture fixture(rows);
    QScrollBar *scroll = fixture.list->verticalScrollBar();
    QCOMPARE(scroll->value(), 0);
    const int rowHeight = fixture.list->visualItemRect(fixture.list->topLevelItem(0)).height();
    int bandRow = 0;
    while (fixture.centreOf(bandRow).y() < fixture.viewport()->height() - rowHeight)
        ++bandRow;
    QVERIFY(bandRow >= 4);

    // Swaps away from the edges do not scroll.
    QTest::mousePress(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(1));
    for (int row = 2; row < bandRow; ++row)
        QTest::mouseMove(fixture.viewport(), fixture.centreOf(row));
    QCOMPARE(scroll->value(), 0);
    // A swap in the band of the last visible row: one row on.
    QTest::mouseMove(fixture.viewport(), fixture.centreOf(bandRow));
    QCOMPARE(scroll->value(), 1);
    QCOMPARE(fixture.list->rowText(bandRow), rows.at(1));
    QTest::mouseRelease(fixture.viewport(), Qt::LeftButton);

    // Back up into the first visible row: one row back.
    const int firstVisible = fixture.list->indexOfTopLevelItem(fixture.list->itemAt(QPoint(5, 2)));
    QTest::mousePress(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(firstVisible + 1));
    QTest::mouseMove(fixture.viewport(), fixture.centreOf(firstVisible));
    QCOMPARE(scroll->value(), 0);
    QTest::mouseRelease(fixture.viewport(), Qt::LeftButton);
}

void TestFileList::moveWithoutButtonAfterALostReleaseKeepsRows()
{
    ListFixture fixture(names("A B C"));
    QTest::mousePress(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(0));
    // A message box took the release: it never reached the list.
    QTest::mouseRelease(&fixture.window, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(fixture.viewport(), fixture.centreOf(1));
    QTest::mouseMove(fixture.viewport(), fixture.centreOf(2));
    QCOMPARE(fixture.list->rows(), names("A B C"));
}

void TestFileList::reorderingRefusedDuringRun()
{
    QTemporaryDir folder;
    makeTree(folder.path(), names("a.xml b.xml c.xml"), "<r><v>1</v></r>");
    const QStringList inputs{folder.filePath(u"a.xml"_s), folder.filePath(u"b.xml"_s),
                             folder.filePath(u"c.xml"_s)};
    ListFixture fixture(inputs);
    fixture.control<QRadioButton>("Option7")->setChecked(true);
    bool dragged = false;
    QTimer during;
    connect(&during, &QTimer::timeout, &fixture.window, [&] {
        if (dragged || !fixture.window.runInProgress())
            return;
        dragged = true;
        QTest::mouseClick(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(0));
        QTest::mousePress(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(0));
        QTest::mouseMove(fixture.viewport(), fixture.centreOf(1));
        QTest::mouseMove(fixture.viewport(), fixture.centreOf(2));
        QTest::mouseRelease(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(2));
        fixture.list->appendRow(inputs.at(0));
    });
    during.start(0);
    fixture.control<QPushButton>("PushButton2")->click();
    during.stop();

    QVERIFY(dragged);
    QCOMPARE(fixture.list->rows(), inputs + QStringList{inputs.at(0)});
    for (const char *output : {"a.csv", "b.csv", "c.csv"})
        QVERIFY2(QFile::exists(folder.filePath(QLatin1String(output))), output);
}

void TestFileList::dragPointer_data()
{
    QTest::addColumn<bool>("iconPresent");
    QTest::addColumn<int>("shape");
    QTest::newRow("dragIco") << true << int(Qt::BitmapCursor);
    QTest::newRow("missing") << false << int(Qt::DragMoveCursor);
}

void TestFileList::dragPointer()
{
    QFETCH(bool, iconPresent);
    QFETCH(int, shape);
    QTemporaryDir programFolder;
    if (iconPresent) {
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::darkBlue);
        QVERIFY(icon.save(programFolder.filePath(u"drag.ico"_s), "ICO"));
    }
    setApplicationFolderForTesting(programFolder.path());
    ListFixture fixture(names("A B"));

    QTest::mousePress(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(0));
    QVERIFY(fixture.list->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(int(fixture.list->cursor().shape()), shape);
    QTest::mouseRelease(fixture.viewport(), Qt::LeftButton, {}, fixture.centreOf(0));
    // Released, the list shows the window's pointer again, hourglass included.
    QVERIFY(!fixture.list->testAttribute(Qt::WA_SetCursor));
}

void TestFileList::isInListComparesExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::newRow("same") << u"/data/a.xml"_s << true;
    QTest::newRow("letterCase") << u"/data/A.xml"_s << false;
    QTest::newRow("prefix") << u"/data/a"_s << false;
    QTest::newRow("lastRow") << u"/z.xml"_s << true;
}

void TestFileList::isInListComparesExactly()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    FileListView list;
    list.appendRow(u"/data/a.xml"_s);
    list.appendRow(u"/z.xml"_s);
    QCOMPARE(IsInList(list, text), found);
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
