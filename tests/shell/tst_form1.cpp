#include "support/windowfixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QStringList names(const char *spaceSeparated)
{
    return QString::fromLatin1(spaceSeparated).split(u' ');
}

struct Control {
    const char *name;
    const char *container;
    const char *caption;
    int left, top, width, height; // twips
    int tabIndex;
};

// The window's controls as designed, in twips.
const Control controls[] = {
        {"ListView1", "Form1", "", 120, 120, 7800, 2540, 0},
        {"PushButton1", "Form1", "Add XML File(s)", 120, 2750, 3840, 405, 2},
        {"PushButton4", "Form1", "Add All XML File(s) In Folder", 4080, 2750, 3840, 405, 3},
        {"PushButton6", "Form1", "Clear List", 120, 3260, 3840, 405, 5},
        {"PushButton7", "Form1", "Load Sample/Example Files", 4080, 3260, 3840, 405, 6},
        {"Frame2", "Form1", "CSV Delimiter", 120, 3720, 7800, 705, 7},
        {"Option1", "Frame2", "Comma", 240, 300, 1140, 225, 13},
        {"Option2", "Frame2", "Comma-space", 1485, 300, 1725, 225, 12},
        {"Option3", "Frame2", "Semicolon", 3330, 300, 1455, 225, 11},
        {"Option4", "Frame2", "Tab", 4860, 300, 780, 225, 8},
        {"Option5", "Frame2", "Other", 5760, 300, 825, 225, 10},
        {"Text2", "Frame2", "|", 6600, 255, 915, 330, 9},
        {"Frame1", "Form1", "Save Option", 120, 4470, 7800, 1815, 14},
        {"Option6", "Frame1", "Save results to this folder:", 240, 300, 3615, 255, 18},
        {"Frame4", "Frame1", "", 480, 510, 6840, 810, 15},
        {"Text1", "Frame4", "", 240, 300, 5670, 345, 16},
        {"PushButton9", "Frame4", "...", 6000, 300, 600, 345, 17},
        {"Option7", "Frame1", "Save results in folder of original file", 240, 1410, 3615, 255, 19},
        {"PushButton2", "Form1", "Start Converting", 120, 6410, 7800, 405, 4},
        {"ProgressBar1", "Form1", "Progress Bar", 120, 6930, 7800, 405, 1},
};

int px(int twips)
{
    return qRound(twips / 15.0);
}

QString captionOf(QWidget *widget)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *frame = qobject_cast<QGroupBox *>(widget))
        return frame->title();
    if (auto *box = qobject_cast<QLineEdit *>(widget))
        return box->text();
    if (auto *bar = qobject_cast<QProgressBar *>(widget))
        return bar->text();
    return {};
}

bool takesFocus(QWidget *widget)
{
    return !qobject_cast<QGroupBox *>(widget) && !qobject_cast<QProgressBar *>(widget);
}

// The focus-taking controls in the order of the window's focus chain.
QStringList focusChain(QWidget &window)
{
    QStringList names;
    for (QWidget *w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
        for (const Control &control : controls) {
            if (w->objectName() == QLatin1String(control.name) && takesFocus(w))
                names.append(w->objectName());
        }
    }
    return names;
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void tabKeyVisitsControlsInOrder_data();
    void tabKeyVisitsControlsInOrder();
    void windowIsFixedWhiteAndCentred();
    void listIsTheOnlyToolTipAndHasTheFocus();
    void pointerOverControls_data();
    void pointerOverControls();
    void progressBarAtRest();
};

void TestForm1::layout_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(controls)); ++i)
        QTest::newRow(controls[i].name) << i;
}

void TestForm1::layout()
{
    QFETCH(int, row);
    const Control &expected = controls[row];
    WindowFixture fixture;
    auto *widget = fixture.control<QWidget>(expected.name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), QLatin1String(expected.container));
    QCOMPARE(widget->geometry(),
             QRect(px(expected.left), px(expected.top), px(expected.width), px(expected.height)));
    QCOMPARE(captionOf(widget), QString::fromUtf8(expected.caption));

    if (!takesFocus(widget)) {
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
        return;
    }
    // Its place in the focus chain matches the number of focus-taking controls designed before it.
    int before = 0;
    for (const Control &other : controls) {
        if (other.tabIndex < expected.tabIndex && takesFocus(fixture.control<QWidget>(other.name)))
            ++before;
    }
    QCOMPARE(focusChain(fixture.window).indexOf(widget->objectName()), before);
}

void TestForm1::tabKeyVisitsControlsInOrder_data()
{
    QTest::addColumn<QString>("delimiterOption");
    QTest::addColumn<QString>("saveOption");
    QTest::addColumn<QStringList>("expected");

    const QStringList head = names("ListView1 PushButton1 PushButton4 PushButton2 PushButton6 "
                                   "PushButton7");
    // An option group is one stop, at the place of its selected button.
    QTest::newRow("comma") << u"Option1"_s << u"Option6"_s
                           << head + names("Text2 Option1 Text1 PushButton9 Option6");
    // Selecting "beside the original" disables the folder row, which leaves the order.
    QTest::newRow("tab") << u"Option4"_s << u"Option7"_s << head + names("Option4 Text2 Option7");
    QTest::newRow("other") << u"Option5"_s << u"Option6"_s
                           << head + names("Text2 Option5 Text1 PushButton9 Option6");
    QTest::newRow("semicolon") << u"Option3"_s << u"Option6"_s
                               << head + names("Text2 Option3 Text1 PushButton9 Option6");
}

void TestForm1::tabKeyVisitsControlsInOrder()
{
    QFETCH(QString, delimiterOption);
    QFETCH(QString, saveOption);
    QFETCH(QStringList, expected);
    WindowFixture fixture;
    fixture.control<QRadioButton>(qPrintable(delimiterOption))->setChecked(true);
    fixture.control<QRadioButton>(qPrintable(saveOption))->setChecked(true);
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));

    QStringList visited;
    for (qsizetype i = 0; i <= expected.size(); ++i) {
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused);
        visited.append(focused->objectName());
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    QCOMPARE(visited, expected + names("ListView1"));
}

void TestForm1::windowIsFixedWhiteAndCentred()
{
    WindowFixture fixture;
    Form1 &window = fixture.window;
    QCOMPARE(window.minimumSize(), QSize(px(8040), px(7455)));
    QCOMPARE(window.maximumSize(), window.minimumSize());
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(window.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(fixture.control<QGroupBox>("Frame4")->palette().color(QPalette::Window),
             QColor(Qt::white));
    QCOMPARE(fixture.control<QRadioButton>("Option7")->palette().color(QPalette::Window),
             QColor(Qt::white));

    QCOMPARE(window.font().family(), QStringLiteral("Arial"));
    QCOMPARE(window.font().pointSizeF(), 9.0);
    QCOMPARE(window.font().weight(), QFont::Bold);
    for (const char *name : {"PushButton1", "PushButton2", "PushButton4", "PushButton6",
                             "PushButton7", "PushButton9"}) {
        auto *button = fixture.control<QPushButton>(name);
        QCOMPARE(button->font().family(), QStringLiteral("Arial"));
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QCOMPARE(button->font().weight(), QFont::Bold);
        QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::white));
        QVERIFY(button->isEnabledTo(&window) || qstrcmp(name, "PushButton9") == 0);
    }

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    QVERIFY(qAbs(window.geometry().center().x() - available.center().x()) <= 8);
    QVERIFY(qAbs(window.geometry().center().y() - available.center().y()) <= 16);
}

void TestForm1::listIsTheOnlyToolTipAndHasTheFocus()
{
    WindowFixture fixture;
    QStringList withToolTip;
    for (QWidget *widget : fixture.window.findChildren<QWidget *>()) {
        if (!widget->toolTip().isEmpty())
            withToolTip.append(widget->objectName());
    }
    QCOMPARE(withToolTip, QStringList{QStringLiteral("ListView1")});
    QCOMPARE(fixture.control<QWidget>("ListView1")->toolTip(),
             QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | "
                            "line to right and out of window to reveal full names."));

    auto *list = fixture.control<QTreeWidget>("ListView1");
    QVERIFY(!list->isHeaderHidden());
    QVERIFY(!list->rootIsDecorated());
    QVERIFY(!list->header()->stretchLastSection());

    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    QCOMPARE(QApplication::focusWidget(), list);
}

void TestForm1::pointerOverControls_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");

    const int arrow = int(Form1::PointerKind::Default);
    const int busy = int(Form1::PointerKind::Busy);
    const int hand = int(Form1::PointerKind::Custom);
    for (const char *button : {"PushButton1", "PushButton2", "PushButton4", "PushButton6",
                               "PushButton7", "PushButton9"}) {
        QTest::addRow("%s", button) << QString::fromLatin1(button) << arrow << hand;
        QTest::addRow("%sBusy", button) << QString::fromLatin1(button) << busy << busy;
    }
    for (const char *reset : {"Form1", "Frame1", "Frame2", "Frame4"}) {
        QTest::addRow("%s", reset) << QString::fromLatin1(reset) << hand << arrow;
        QTest::addRow("%sBusy", reset) << QString::fromLatin1(reset) << busy << busy;
    }
    // Option buttons, text boxes and the bar leave the pointer alone.
    for (const char *neutral : {"Option2", "Option7", "Text1", "Text2", "ProgressBar1"})
        QTest::addRow("%s", neutral) << QString::fromLatin1(neutral) << hand << hand;
}

void TestForm1::pointerOverControls()
{
    QFETCH(QString, over);
    QFETCH(int, before);
    QFETCH(int, after);
    WindowFixture fixture;
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));
    fixture.window.setPointer(Form1::PointerKind(before));

    // Frames and the window are hit in an empty corner, away from their children.
    QWidget *target = over == QLatin1String("Form1") ? static_cast<QWidget *>(&fixture.window)
                                                     : fixture.control<QWidget>(qPrintable(over));
    const QPoint spot = qobject_cast<QGroupBox *>(target) || target == &fixture.window
            ? QPoint(target->width() - 3, target->height() - 3)
            : target->rect().center();
    QTest::mouseMove(target, spot);
    QCOMPARE(int(fixture.window.pointer()), after);
    if (after == int(Form1::PointerKind::Busy))
        QCOMPARE(fixture.window.cursor().shape(), Qt::WaitCursor);
    else if (after == int(Form1::PointerKind::Default))
        QCOMPARE(fixture.window.cursor().shape(), Qt::ArrowCursor);
}

void TestForm1::progressBarAtRest()
{
    WindowFixture fixture;
    auto *bar = fixture.control<QProgressBar>("ProgressBar1");
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->text(), QStringLiteral("Progress Bar"));
    QVERIFY(bar->isTextVisible());
    QCOMPARE(fixture.window.progressValue(), 0.0);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
