#include "core/applicationfolder.h"
#include "shell/captionprogressbar.h"
#include "shell/filelistview.h"
#include "shell/skin.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// WCAG 2 contrast ratio of two colours.
double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb rgb) {
        double sum = 0;
        for (auto [value, weight] : {std::pair{qRed(rgb), 0.2126}, std::pair{qGreen(rgb), 0.7152},
                                     std::pair{qBlue(rgb), 0.0722}}) {
            const double c = value / 255.0;
            sum += weight * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum + 0.05;
    };
    return qMax(luminance(a), luminance(b)) / qMin(luminance(a), luminance(b));
}

// The contrast of a control's text against its background, from screenshots of the window with
// and without the text: the background is the commonest colour under the text, the text's
// colour that of its pixel standing out most from it.
double textContrast(QWidget &window, QWidget *control, const std::function<void(bool)> &showText)
{
    showText(false);
    const QImage blank = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    showText(true);
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect area(control->mapTo(&window, QPoint(0, 0)), control->size());
    QHash<QRgb, int> under;
    QList<QPoint> text;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (blank.pixel(x, y) != shown.pixel(x, y)) {
                text.append(QPoint(x, y));
                ++under[blank.pixel(x, y)];
            }
        }
    }
    const QList<QRgb> colours = under.keys();
    const QRgb background = *std::max_element(colours.begin(), colours.end(), [&](QRgb a, QRgb b) {
        return under.value(a) < under.value(b);
    });
    double strongest = 0;
    for (const QPoint &pixel : text)
        strongest = qMax(strongest, contrast(shown.pixel(pixel), background));
    return strongest;
}

// The four looks: the desktop's palette light or dark, each with and without the skin.
void addLookRows()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<bool>("skinned");
    QTest::newRow("light") << false << false;
    QTest::newRow("lightSkin") << false << true;
    QTest::newRow("dark") << true << false;
    QTest::newRow("darkSkin") << true << true;
}

// Gives the application the desktop's palette and points it at a folder with the skin, or at
// the given empty one.
void setLook(bool dark, bool skinned, const QString &emptyFolder)
{
    QPalette palette = QApplication::style()->standardPalette();
    if (dark) {
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            palette.setColor(role, QColor(0x30, 0x30, 0x30));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, QColor(0xe6, 0xe6, 0xe6));
    }
    QApplication::setPalette(palette);
    // The skin lies beside the built program.
    setApplicationFolderForTesting(skinned ? QStringLiteral(QUILLMERE_BIN_DIR) : emptyFolder);
}

// The strongest contrast between a pixel of one picture and the same pixel of the other.
double strongestChange(const QImage &before, const QImage &after)
{
    double strongest = 1;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x)
            strongest = qMax(strongest, contrast(before.pixel(x, y), after.pixel(x, y)));
    }
    return strongest;
}

QImage picture(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestSkinContrast : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void textIsReadable_data();
    void textIsReadable();
    void focusIsVisible_data();
    void focusIsVisible();
    void stateReadsRight_data();
    void stateReadsRight();
};

void TestSkinContrast::cleanup()
{
    setApplicationFolderForTesting({});
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestSkinContrast::textIsReadable_data()
{
    addLookRows();
}

void TestSkinContrast::textIsReadable()
{
    QFETCH(bool, dark);
    QFETCH(bool, skinned);
    QTemporaryDir noSkin;
    setLook(dark, skinned, noSkin.path());
    WindowFixture fixture;
    Form1 &window = fixture.window;
    if (skinned)
        Main::ApplySkin(window);
    auto *list = fixture.control<FileListView>("ListView1");
    list->setHeaderLabels({u"XML File(s)"_s});
    list->appendRow(u"/data/in/orders.xml"_s);
    fixture.control<QLineEdit>("Text1")->setText(u"/data/out/"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList unreadable;
    const auto check = [&](QWidget *control, const std::function<void(bool)> &showText) {
        const double ratio = textContrast(window, control, showText);
        if (ratio < 4.5)
            unreadable.append(u"%1 %2:1"_s.arg(control->objectName()).arg(ratio, 0, 'f', 2));
    };
    // Buttons, options, text boxes and frames show their text or title.
    for (QWidget *control : window.findChildren<QWidget *>()) {
        const char *property = qobject_cast<QGroupBox *>(control) ? "title" : "text";
        const QString text = control->property(property).toString();
        const QMetaObject *meta = control->metaObject();
        if (!text.isEmpty() && meta->property(meta->indexOfProperty(property)).isWritable())
            check(control, [=](bool on) { control->setProperty(property, on ? text : QString()); });
    }
    check(list->viewport(),
          [=](bool on) { list->setRowText(0, on ? u"/data/in/a.xml"_s : u""_s); });
    check(list->header(), [=](bool on) { list->setHeaderLabels({on ? u"XML File(s)"_s : u""_s}); });
    auto *bar = static_cast<CaptionProgressBar *>(fixture.control<QWidget>("ProgressBar1"));
    check(bar, [=](bool on) { bar->setCaption(on ? u"Progress Bar"_s : QString()); });
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(u", "_s)));
}

void TestSkinContrast::focusIsVisible_data()
{
    addLookRows();
}

void TestSkinContrast::focusIsVisible()
{
    QFETCH(bool, dark);
    QFETCH(bool, skinned);
    QTemporaryDir noSkin;
    setLook(dark, skinned, noSkin.path());
    WindowFixture fixture;
    if (skinned)
        Main::ApplySkin(fixture.window);
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));

    // Each button as the Tab key reaches it, against its look while the list has the focus.
    QStringList unseen;
    for (const char *name : {"PushButton1", "PushButton4", "PushButton2", "PushButton6",
                             "PushButton7", "PushButton9"}) {
        auto *button = fixture.control<QPushButton>(name);
        const QImage unfocused = picture(button);
        for (int i = 0; i < 20 && !button->hasFocus(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(button->hasFocus());
        // Changing colour by at least 3:1 is what makes a focus indicator visible.
        const double change = strongestChange(unfocused, picture(button));
        if (change < 3)
            unseen.append(u"%1 %2:1"_s.arg(button->objectName()).arg(change, 0, 'f', 2));
    }
    QVERIFY2(unseen.isEmpty(), qPrintable(unseen.join(u", "_s)));
}

void TestSkinContrast::stateReadsRight_data()
{
    addLookRows();
}

void TestSkinContrast::stateReadsRight()
{
    QFETCH(bool, dark);
    QFETCH(bool, skinned);
    QTemporaryDir noSkin;
    setLook(dark, skinned, noSkin.path());
    WindowFixture fixture;
    if (skinned)
        Main::ApplySkin(fixture.window);
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));

    // An option's indicator is filled only when it is selected: at its centre an unselected
    // option shows the background it stands on.
    const auto centreAgainstBackground = [](QRadioButton *option) {
        QStyleOptionButton style;
        style.initFrom(option);
        const QRect indicator
                = option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &style, option);
        const QImage image = picture(option);
        return contrast(image.pixel(indicator.center()), image.pixel(option->width() - 1, 0));
    };
    for (const char *name : {"Option1", "Option6"})
        QVERIFY2(centreAgainstBackground(fixture.control<QRadioButton>(name)) >= 3, name);
    for (const char *name : {"Option2", "Option5", "Option7"})
        QVERIFY2(centreAgainstBackground(fixture.control<QRadioButton>(name)) < 1.5, name);

    // The "..." button's caption stands out clearly less while the button is disabled.
    auto *browse = fixture.control<QPushButton>("PushButton9");
    const auto showCaption = [=](bool on) {
        browse->setText(on ? u"..."_s : QString());
    };
    const double enabled = textContrast(fixture.window, browse, showCaption);
    fixture.control<QRadioButton>("Option7")->click();
    QVERIFY(!browse->isEnabled());
    const double disabled = textContrast(fixture.window, browse, showCaption);
    QVERIFY2(disabled <= enabled / 2, qPrintable(u"%1 vs %2"_s.arg(disabled).arg(enabled)));
}

QTEST_MAIN(TestSkinContrast)
#include "tst_skincontrast.moc"
