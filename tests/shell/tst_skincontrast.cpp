#include "core/applicationfolder.h"
#include "filelist/filelistview.h"
#include "shell/captionprogressbar.h"
#include "shell/skin.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// WCAG 2 relative luminance and contrast ratio.
double luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour))
            + 0.0722 * channel(qBlue(colour));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::ToolTipBase, QColor(0x31, 0x36, 0x3b));
    dark.setColor(QPalette::ToolTipText, QColor(0xe6, 0xe6, 0xe6));
    return dark;
}

// The contrast of a control's text against its own background, from two screenshots: one with
// the text and one with the text removed. The background is the commonest colour where the
// text stands; the text's colour is that of its strongest pixel against it.
double textContrast(QWidget &window, QWidget *control, const std::function<void(bool)> &showText)
{
    showText(false);
    const QImage blank = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    showText(true);
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect area(control->mapTo(&window, QPoint(0, 0)) * window.devicePixelRatio(),
                     control->size() * window.devicePixelRatio());

    QHash<QRgb, int> backgroundCount;
    QList<QPoint> textPixels;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (blank.pixel(x, y) != shown.pixel(x, y)) {
                textPixels.append(QPoint(x, y));
                ++backgroundCount[blank.pixel(x, y)];
            }
        }
    }
    if (textPixels.isEmpty())
        return 0;
    QRgb background = backgroundCount.constBegin().key();
    for (auto it = backgroundCount.constBegin(); it != backgroundCount.constEnd(); ++it) {
        if (it.value() > backgroundCount.value(background))
            background = it.key();
    }
    double strongest = 1;
    for (const QPoint &pixel : textPixels)
        strongest = qMax(strongest, contrast(shown.pixel(pixel), background));
    return strongest;
}

} // namespace

class TestSkinContrast : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void textIsReadable_data();
    void textIsReadable();
};

void TestSkinContrast::cleanup()
{
    setApplicationFolderForTesting({});
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestSkinContrast::textIsReadable_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<bool>("skinned");
    QTest::newRow("light") << false << false;
    QTest::newRow("lightSkin") << false << true;
    QTest::newRow("dark") << true << false;
    QTest::newRow("darkSkin") << true << true;
}

void TestSkinContrast::textIsReadable()
{
    QFETCH(bool, dark);
    QFETCH(bool, skinned);
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    // The skin lies beside the built program; an empty folder holds none.
    QTemporaryDir noSkin;
    setApplicationFolderForTesting(skinned ? QStringLiteral(QUILLMERE_BIN_DIR) : noSkin.path());
    WindowFixture fixture;
    Form1 &window = fixture.window;
    if (skinned)
        Main::ApplySkin(window);
    auto *list = fixture.control<FileListView>("ListView1");
    list->setHeaderLabels({u"XML File(s)"_s});
    list->appendRow(u"/data/in/orders.xml"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QStringList unreadable;
    const auto check = [&](QWidget *control, const QString &what,
                           const std::function<void(bool)> &showText) {
        const double ratio = textContrast(window, control, showText);
        if (ratio < 4.5)
            unreadable.append(u"%1 %2:1"_s.arg(what).arg(ratio, 0, 'f', 2));
    };

    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        const QString caption = button->text();
        check(button, button->objectName(),
              [=](bool on) { button->setText(on ? caption : QString()); });
    }
    for (QRadioButton *option : window.findChildren<QRadioButton *>()) {
        const QString caption = option->text();
        check(option, option->objectName(),
              [=](bool on) { option->setText(on ? caption : QString()); });
    }
    for (const char *name : {"Frame1", "Frame2"}) {
        auto *frame = fixture.control<QGroupBox>(name);
        const QString caption = frame->title();
        check(frame, frame->objectName(),
              [=](bool on) { frame->setTitle(on ? caption : QString()); });
    }
    for (const char *name : {"Text1", "Text2"}) {
        auto *box = fixture.control<QLineEdit>(name);
        check(box, box->objectName(),
              [=](bool on) { box->setText(on ? u"/data/out|"_s : QString()); });
    }
    check(list->viewport(), u"ListView1"_s,
          [=](bool on) { list->setRowText(0, on ? u"/data/in/orders.xml"_s : QString()); });
    check(list->header(), u"ListView1 header"_s,
          [=](bool on) { list->setHeaderLabels({on ? u"XML File(s)"_s : QString()}); });
    auto *bar = static_cast<CaptionProgressBar *>(fixture.control<QProgressBar>("ProgressBar1"));
    check(bar, bar->objectName(), [=](bool on) { bar->setCaption(on ? u"Progress"_s : QString()); });
    QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(u", "_s)));
}

QTEST_MAIN(TestSkinContrast)
#include "tst_skincontrast.moc"
