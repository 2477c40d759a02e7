#include "shell/form1.h"

#include "batch/conversionworker.h"
#include "core/handlerguard.h"
#include "core/settingsstore.h"
#include "shell/captionprogressbar.h"
#include "shell/enterpressesbutton.h"
#include "shell/filelistview.h"
#include "shell/optionselection.h"
#include "shell/twips.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {

// The run's progress is shown at most ten times a second. Each change shown costs a paint of
// the bar (more than converting a small file) and, while a screen reader listens, a name and a
// value change on the accessibility bus, each of which the reader asks the window about. Ten a
// second still moves smoothly to the eye and is more than a screen reader speaks.
constexpr qint64 ProgressEveryMs = 100;

// On the buttons' white face: the grey of a disabled caption and the colour of the focus ring.
constexpr QColor DisabledCaption(120, 120, 120);
constexpr QColor FocusRing(0x00, 0x3d, 0x99);

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

// A group of option buttons is one stop in the keyboard order: its selected button, at that
// button's own place. Qt would otherwise stop at whichever button of the group comes first.
// A group with nothing selected keeps its stop on its first button, or the keyboard could not
// reach it at all.
void keepTabStopOnCheckedOption(const QList<QRadioButton *> &group)
{
    const auto update = [group] {
        const bool noneSelected = std::none_of(group.begin(), group.end(),
                                               [](QRadioButton *o) { return o->isChecked(); });
        for (QRadioButton *option : group) {
            const bool stop = option->isChecked() || (noneSelected && option == group.front());
            option->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    for (QRadioButton *option : group)
        QObject::connect(option, &QRadioButton::toggled, option, update);
    update();
}

template<typename Widget> Widget *place(QWidget *container, const char *name, const QRect &geometry)
{
    auto *widget = new Widget(container);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

Form1::Form1(SettingsStore &settings, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_qtDialogs(this), m_dialogs(&m_qtDialogs)
{
    setObjectName(QStringLiteral("Form1"));
    buildLayout();
}

Form1::~Form1()
{
    stopWorker();
}

void Form1::buildLayout()
{
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(8040), twipsToPixels(7455));
    QFont windowFont(QStringLiteral("Arial"), 9, QFont::Bold);
    setFont(windowFont);
    // Every colour set here comes with the text colour drawn on it, so that a dark desktop
    // theme's light text never lands on the white.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPointSizeF(11.25);
    buttonFont.setBold(true);

    ListView1 = place<FileListView>(this, "ListView1", twipsRect(120, 120, 7800, 2540));
    ListView1->setToolTip(QStringLiteral(
            "Drag and drop files here. Double-click item to remove it. Move | line to "
            "right and out of window to reveal full names."));

    auto button = [&](QWidget *container, const char *name, const QRect &geometry,
                      const QString &caption) {
        auto *pushButton = place<QPushButton>(container, name, geometry);
        pushButton->setText(caption);
        pushButton->setFont(buttonFont);
        pushButton->setAutoDefault(false);
        EnterPressesButton::install(pushButton);
        QPalette face = pushButton->palette();
        face.setColor(QPalette::Button, Qt::white);
        face.setColor(QPalette::ButtonText, Qt::black);
        // The look of the desktop's theme on the white face: a disabled caption greyed, and a
        // focus ring dark enough to stand out from the button's light outline.
        face.setColor(QPalette::Disabled, QPalette::ButtonText, DisabledCaption);
        face.setColor(QPalette::Highlight, FocusRing);
        pushButton->setPalette(face);
        // A button ignores plain moves; passed on to its frame or the window they would reset
        // the pointer that the button has just set.
        pushButton->setAttribute(Qt::WA_NoMousePropagation);
        return pushButton;
    };
    PushButton1 = button(this, "PushButton1", twipsRect(120, 2750, 3840, 405),
                         QStringLiteral("Add XML File(s)"));
    PushButton4 = button(this, "PushButton4", twipsRect(4080, 2750, 3840, 405),
                         QStringLiteral("Add All XML File(s) In Folder"));
    PushButton6 = button(this, "PushButton6", twipsRect(120, 3260, 3840, 405),
                         QStringLiteral("Clear List"));
    PushButton7 = button(this, "PushButton7", twipsRect(4080, 3260, 3840, 405),
                         QStringLiteral("Load Sample/Example Files"));

    auto frame = [&](QWidget *container, const char *name, const QRect &geometry,
                     const QString &caption) {
        auto *groupBox = place<QGroupBox>(container, name, geometry);
        groupBox->setTitle(caption);
        groupBox->setFocusPolicy(Qt::NoFocus);
        return groupBox;
    };
    auto option = [&](QWidget *container, const char *name, const QRect &geometry,
                      const QString &caption) {
        auto *radioButton = place<QRadioButton>(container, name, geometry);
        radioButton->setText(caption);
        // The indicator is drawn in the text box colours; a dark theme's would make an empty
        // circle a dark disc on the white face, read as selected.
        QPalette indicator = radioButton->palette();
        indicator.setColor(QPalette::Base, Qt::white);
        indicator.setColor(QPalette::Text, Qt::black);
        radioButton->setPalette(indicator);
        return radioButton;
    };

    Frame2 = frame(this, "Frame2", twipsRect(120, 3720, 7800, 705),
                   QStringLiteral("CSV Delimiter"));
    Option1 = option(Frame2, "Option1", twipsRect(240, 300, 1140, 225), QStringLiteral("Comma"));
    Option2 = option(Frame2, "Option2", twipsRect(1485, 300, 1725, 225),
                     QStringLiteral("Comma-space"));
    Option3 = option(Frame2, "Option3", twipsRect(3330, 300, 1455, 225),
                     QStringLiteral("Semicolon"));
    Option4 = option(Frame2, "Option4", twipsRect(4860, 300, 780, 225), QStringLiteral("Tab"));
    Option5 = option(Frame2, "Option5", twipsRect(5760, 300, 825, 225), QStringLiteral("Other"));
    Text2 = place<QLineEdit>(Frame2, "Text2", twipsRect(6600, 255, 915, 330));
    Text2->setText(QStringLiteral("|"));

    Frame1 = frame(this, "Frame1", twipsRect(120, 4470, 7800, 1815), QStringLiteral("Save Option"));
    Option6 = option(Frame1, "Option6", twipsRect(240, 300, 3615, 255),
                     QStringLiteral("Save results to this folder:"));
    Frame4 = frame(Frame1, "Frame4", twipsRect(480, 510, 6840, 810), QString());
    Text1 = place<QLineEdit>(Frame4, "Text1", twipsRect(240, 300, 5670, 345));
    PushButton9
            = button(Frame4, "PushButton9", twipsRect(6000, 300, 600, 345), QStringLiteral("..."));
    Option7 = option(Frame1, "Option7", twipsRect(240, 1410, 3615, 255),
                     QStringLiteral("Save results in folder of original file"));

    PushButton2 = button(this, "PushButton2", twipsRect(120, 6410, 7800, 405),
                         QStringLiteral("Start Converting"));
    ProgressBar1 = place<CaptionProgressBar>(this, "ProgressBar1", twipsRect(120, 6930, 7800, 405));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    m_progressTimer = new QTimer(this);
    m_progressTimer->setSingleShot(true);
    connect(m_progressTimer, &QTimer::timeout, this, &Form1::showProgress);
    setProgressValue(0);
    setProgressCaption(QStringLiteral("Progress Bar"));
    showProgress();

    Option1->setChecked(true);
    Option6->setChecked(true);

    // Keyboard order of the window's tab indices 0 to 19; frames never take the focus.
    const QList<QWidget *> tabOrder{
            ListView1,   ProgressBar1, PushButton1, PushButton4, PushButton2, PushButton6,
            PushButton7, Option4,      Text2,       Option5,     Option3,     Option2,
            Option1,     Text1,        PushButton9, Option6,     Option7};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    keepTabStopOnCheckedOption({Option1, Option2, Option3, Option4, Option5});
    keepTabStopOnCheckedOption({Option6, Option7});
    ListView1->setFocus();
    nameControlsForAssistiveTechnology();

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
    connect(PushButton9, &QPushButton::clicked, this, [this] { PushButton9_Click(); });
    onOptionSelected(Option1, [this] { Option1_Click(); });
    onOptionSelected(Option2, [this] { Option2_Click(); });
    onOptionSelected(Option3, [this] { Option3_Click(); });
    onOptionSelected(Option4, [this] { Option4_Click(); });
    onOptionSelected(Option5, [this] { Option5_Click(); });
    onOptionSelected(Option6, [this] { Option6_Click(); });
    onOptionSelected(Option7, [this] { Option7_Click(); });
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(ListView1, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem *item) { ListView1_ItemClick(item); });
    // A drop is accepted at once; the paths are handled after the drag source's loop has ended.
    connect(
            ListView1, &FileListView::filesDropped, this,
            [this](const QList<FileName> &paths) { ListView1_OLEDragDrop(paths); },
            Qt::QueuedConnection);

    // Move events arrive only with mouse tracking on.
    setMouseTracking(true);
    for (QWidget *watched : {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame2),
                             static_cast<QWidget *>(Frame4), ListView1->viewport(),
                             static_cast<QWidget *>(ListView1), static_cast<QWidget *>(Text2)}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
    for (QPushButton *pushButton :
         {PushButton1, PushButton2, PushButton4, PushButton6, PushButton7, PushButton9}) {
        pushButton->setMouseTracking(true);
        pushButton->installEventFilter(this);
    }
    // Option buttons and text boxes track the mouse for their hover look; their moves must not
    // reach the frame or window behind them, whose handlers reset the pointer.
    for (QWidget *neutral : {static_cast<QWidget *>(Option1), static_cast<QWidget *>(Option2),
                             static_cast<QWidget *>(Option3), static_cast<QWidget *>(Option4),
                             static_cast<QWidget *>(Option5), static_cast<QWidget *>(Option6),
                             static_cast<QWidget *>(Option7), static_cast<QWidget *>(Text1),
                             static_cast<QWidget *>(Text2), static_cast<QWidget *>(ProgressBar1)})
        neutral->setAttribute(Qt::WA_NoMousePropagation);
}

void Form1::setPointer(PointerKind kind)
{
    m_pointer = kind;
    switch (kind) {
    case PointerKind::Default:
        unsetCursor();
        break;
    case PointerKind::Busy:
        setCursor(Qt::WaitCursor);
        break;
    case PointerKind::Custom:
        setCursor(m_customPointer);
        break;
    }
}

void Form1::setProgressValue(double value)
{
    m_progressValue = value;
    scheduleProgress();
}

void Form1::setProgressCaption(const QString &caption)
{
    m_progressCaption = caption;
    scheduleProgress();
}

void Form1::scheduleProgress()
{
    // Painting the bar and telling assistive technology about it for every one of thousands of
    // small files took most of a run's time.
    const qint64 sinceShown
            = m_progressShown.isValid() ? m_progressShown.elapsed() : ProgressEveryMs;
    if (sinceShown >= ProgressEveryMs)
        showProgress();
    else if (!m_progressTimer->isActive())
        m_progressTimer->start(static_cast<int>(ProgressEveryMs - sinceShown));
}

void Form1::showProgress()
{
    m_progressTimer->stop();
    ProgressBar1->setValue(qRound(m_progressValue));
    ProgressBar1->setCaption(m_progressCaption);
    // A screen reader announces the bar by its name, so the name carries the caption.
    ProgressBar1->setAccessibleName(m_progressCaption);
    m_progressShown.start();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        if (qobject_cast<QPushButton *>(watched))
            PushButton_MouseMove();
        else if (watched == Frame1)
            Frame1_MouseMove();
        else if (watched == Frame2)
            Frame2_MouseMove();
        else if (watched == Frame4)
            Frame4_MouseMove();
        else if (watched == ListView1->viewport()) {
            const auto *move = static_cast<QMouseEvent *>(event);
            // A release taken by another window (a message box shown during the press) never
            // reaches the list; a move without a button held ends the drag as the release would.
            if (m_armed && move->buttons() == Qt::NoButton)
                ListView1_MouseUp();
            ListView1_MouseMove(move->position().toPoint());
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == ListView1->viewport())
            ListView1_MouseDown();
        break;
    case QEvent::MouseButtonRelease:
        if (watched == ListView1->viewport())
            ListView1_MouseUp();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == ListView1->viewport())
            ListView1_DblClick();
        break;
    case QEvent::KeyPress:
        if (watched == ListView1)
            ListView1_KeyDown(static_cast<QKeyEvent *>(event)->key());
        break;
    case QEvent::FocusOut:
        if (watched == Text2)
            Text2_LostFocus();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing ends the program at once: long loops stop at their next yield, and a file being
    // converted is abandoned without waiting for it.
    m_closing = true;
    if (m_worker)
        m_worker->cancel();
    if (m_workerLoop)
        m_workerLoop->quit();
    // The store holds the last changes for a moment before they reach the file.
    guardHandler("Form_Unload", [this] { m_settings.flush(); });
    event->accept();
}

void Form1::showEvent(QShowEvent *event)
{
    if (!m_centred && !event->spontaneous()) {
        m_centred = true;
        if (const QScreen *shownOn = screen())
            move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                     shownOn->availableGeometry())
                         .topLeft());
    }
    QWidget::showEvent(event);
}

void Form1::PushButton_MouseMove()
{
    guardHandler("PushButton_MouseMove", [this] {
        if (!isBusy())
            setPointer(PointerKind::Custom);
    });
}

void Form1::Form_MouseMove()
{
    guardHandler("Form_MouseMove", [this] {
        if (!isBusy())
            setPointer(PointerKind::Default);
    });
}

void Form1::Frame1_MouseMove()
{
    Form_MouseMove();
}

void Form1::Frame2_MouseMove()
{
    Form_MouseMove();
}

void Form1::Frame4_MouseMove()
{
    Form_MouseMove();
}
