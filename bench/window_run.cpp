// Times the window's "Start Converting" over every file of a folder, with the window shown on the
// platform Qt is given (xcb under Xvfb for the figures that count). Prints the seconds from the
// click to "Done."; exits with 1 when the run did not convert every file.
#include "core/dialogs.h"
#include "core/settingsstore.h"
#include "shell/filelistview.h"
#include "shell/form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>

namespace {

// Answers every dialog at once and keeps what it was told.
class RecordingDialogs final : public Dialogs {
public:
    void message(const QString &text) override { told.append(text); }
    bool question(const QString &text) override
    {
        told.append(text);
        return false;
    }
    void errorReport(const QString &text) override { told.append(text); }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    QString openFiles(const QString &, const QString &) override { return {}; }
    QString browseForFolder(const QString &, const QString &) override { return {}; }
    void openFolder(const QString &) override { }

    QStringList told;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fputs("usage: window_run INPUT_FOLDER OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QString inputFolder = QString::fromLocal8Bit(argv[1]);
    const QString outputFolder = QString::fromLocal8Bit(argv[2]);

    QTemporaryDir config;
    SettingsStore settings(config.filePath(QStringLiteral("Velmora.conf")));
    RecordingDialogs dialogs;
    Form1 window(settings);
    window.installDialogs(dialogs);
    auto *list = window.findChild<FileListView *>(QStringLiteral("ListView1"));
    const QStringList names
            = QDir(inputFolder).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    for (const QString &name : names)
        list->appendRow(QDir(inputFolder).absoluteFilePath(name));
    window.findChild<QRadioButton *>(QStringLiteral("Option6"))->setChecked(true);
    window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(outputFolder);
    window.show();
    while (!window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    QElapsedTimer clock;
    clock.start();
    window.PushButton2_Click();
    const double seconds = clock.nsecsElapsed() / 1e9;

    const qsizetype written = QDir(outputFolder).entryList({QStringLiteral("*.csv")}).size();
    if (dialogs.told != QStringList{QStringLiteral("Done.")} || written != names.size()) {
        std::fprintf(stderr, "window_run: %lld of %lld files converted; told: %s\n",
                     static_cast<long long>(written), static_cast<long long>(names.size()),
                     qPrintable(dialogs.told.join(QStringLiteral(" | "))));
        return 1;
    }
    std::printf("%.4f\n", seconds);
    return 0;
}
