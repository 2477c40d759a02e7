#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : u"<none>"_s;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void toggleActionRunsTheOptionHandler_data();
    void toggleActionRunsTheOptionHandler();
    void everyControlHasItsOwnName();
    void progressCaptionIsTheBarsName();
    void groupWithoutSelectionKeepsATabStop();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
};

void TestAccessibility::toggleActionRunsTheOptionHandler_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("cleared");
    QTest::addColumn<bool>("folderRowEnabled");
    QTest::newRow("beside") << u"Option7"_s << u"Option6"_s << false;
    QTest::newRow("semicolon") << u"Option3"_s << u"Option1"_s << true;
}

void TestAccessibility::toggleActionRunsTheOptionHandler()
{
    QFETCH(QString, option);
    QFETCH(QString, cleared);
    QFETCH(bool, folderRowEnabled);
    WindowFixture fixture;
    auto *button = fixture.control<QRadioButton>(qPrintable(option));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
    QVERIFY(accessible && accessible->actionInterface());
    const QString toggle = QAccessibleActionInterface::toggleAction();
    QVERIFY(accessible->actionInterface()->actionNames().contains(toggle));

    accessible->actionInterface()->doAction(toggle);
    QVERIFY(button->isChecked());
    QCOMPARE(fixture.storedValue(option), u"True"_s);
    QCOMPARE(fixture.storedValue(cleared), u"False"_s);
    QCOMPARE(fixture.control<QGroupBox>("Frame4")->isEnabled(), folderRowEnabled);
}

void TestAccessibility::everyControlHasItsOwnName()
{
    const QHash<QString, QString> expected{
            {u"ListView1"_s, u"XML files to convert"_s},   {u"Text1"_s, u"Output folder"_s},
            {u"PushButton9"_s, u"Choose output folder"_s}, {u"Text2"_s, u"Other delimiter"_s},
            {u"ProgressBar1"_s, u"Progress Bar"_s},
    };
    WindowFixture fixture;
    QStringList names;
    for (QWidget *widget : fixture.window.findChildren<QWidget *>()) {
        // Qt's own parts (scroll bars, viewports) are named by their owner.
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"_s))
            continue;
        const QString name = accessibleName(widget);
        QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(widget->objectName()));
        if (expected.contains(widget->objectName()))
            QCOMPARE(name, expected.value(widget->objectName()));
        names.append(name);
    }
    QCOMPARE(names.size(), 20);
}

void TestAccessibility::progressCaptionIsTheBarsName()
{
    WindowFixture fixture;
    QTemporaryDir folder;
    // Large enough to take many frames, while the window goes on answering.
    makeTree(folder.path(), {u"orders.xml"_s},
             "<r>" + QByteArray("<a>1</a>").repeated(2000000) + "</r>");
    fixture.control<FileListView>("ListView1")->appendRow(folder.filePath(u"orders.xml"_s));
    fixture.control<QRadioButton>("Option7")->setChecked(true);
    auto *bar = fixture.control<QWidget>("ProgressBar1");

    QStringList namesDuringRun;
    QTimer during;
    connect(&during, &QTimer::timeout, &fixture.window, [&] {
        if (fixture.window.runInProgress())
            namesDuringRun.append(accessibleName(bar));
    });
    during.start(0);
    fixture.control<QPushButton>("PushButton2")->click();
    during.stop();
    QVERIFY(namesDuringRun.contains(u"Processing: orders.xml"_s));
    QCOMPARE(accessibleName(bar), u"Progress Bar"_s);
}

void TestAccessibility::groupWithoutSelectionKeepsATabStop()
{
    WindowFixture fixture;
    clearGroupOf(fixture.control<QRadioButton>("Option1"));
    clearGroupOf(fixture.control<QRadioButton>("Option6"));
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));

    QStringList visited;
    for (int i = 0; i < 20 && !visited.contains(u"Option6"_s); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QVERIFY2(visited.contains(u"Option1"_s), qPrintable(visited.join(u' ')));
    QVERIFY2(visited.contains(u"Option6"_s), qPrintable(visited.join(u' ')));
    QCOMPARE(visited.count(u"Option2"_s), 0);
}

void TestAccessibility::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("return") << int(Qt::Key_Return) << 0 << 0;
    QTest::newRow("keypadEnter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 0;
    QTest::newRow("space") << int(Qt::Key_Space) << 0 << 0;
    QTest::newRow("ctrlReturn") << int(Qt::Key_Return) << int(Qt::ControlModifier) << 1;
}

void TestAccessibility::enterPressesTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, rowsLeft);
    WindowFixture fixture;
    auto *list = fixture.control<FileListView>("ListView1");
    list->appendRow(u"a.xml"_s);
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    auto *clear = fixture.control<QPushButton>("PushButton6");
    clear->setFocus();
    QTest::keyClick(clear, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(list->rowCount(), rowsLeft);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
