#pragma once

#include "batch/batchjob.h"
#include "batch/jobstatus.h"
#include "conversion/csvformat.h"
#include "filelist/addfolder.h"
#include "shell/qtdialogs.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QPersistentModelIndex>
#include <QString>
#include <QWidget>

#include <memory>

class CaptionProgressBar;
class ConversionWorker;
class FileListView;
class QEventLoop;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QTreeWidgetItem;
class SettingsStore;

// The main window: owns every control, the file list's rows and the state of a running
// conversion. Controls keep the names of the window's design as object and member names.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    // The window's pointer: the arrow, the busy hourglass and the custom hand pointer.
    enum class PointerKind { Default = 0, Busy = 11, Custom = 99 };

    explicit Form1(SettingsStore &settings, QWidget *parent = nullptr);
    ~Form1() override;

    // Every modal interaction goes through these dialogs; tests install scripted ones.
    Dialogs &dialogs() const { return *m_dialogs; }
    void installDialogs(Dialogs &dialogs) { m_dialogs = &dialogs; }

    SettingsStore &settings() const { return m_settings; }

    PointerKind pointer() const { return m_pointer; }
    void setPointer(PointerKind kind);
    bool isBusy() const { return m_pointer == PointerKind::Busy; }
    bool isClosing() const { return m_closing; }
    bool runInProgress() const { return m_runInProgress; }
    double progressValue() const { return m_progressValue; }
    // Removing and clearing rows is refused while busy and for the whole of a conversion run.
    bool listChangesRefused() const { return isBusy() || m_runInProgress; }

    // Start-up: restores the stored choices into the controls before the window is shown.
    void Form_Load();

    // Handlers, named after the control and the event.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton4_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton9_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    void Option6_Click();
    void Option7_Click();
    void Text1_Change();
    void Text2_Change();
    void Text2_LostFocus();
    void ListView1_ItemClick(QTreeWidgetItem *item);
    void ListView1_MouseDown();
    void ListView1_MouseMove(const QPoint &position);
    void ListView1_MouseUp();
    void ListView1_DblClick();
    void ListView1_KeyDown(int key);
    void ListView1_OLEDragDrop(const QList<FileName> &paths);
    // Appends the files given on the command line and scans the folders given there for
    // "*.xml" files, as "Add All XML File(s) In Folder" does.
    void openPaths(const QList<FileName> &paths);
    void openPaths(const QStringList &paths) { openPaths(fileNamesFromPaths(paths)); }
    void PushButton_MouseMove();
    void Form_MouseMove();
    void Frame1_MouseMove();
    void Frame2_MouseMove();
    void Frame4_MouseMove();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildLayout();
    void nameControlsForAssistiveTechnology();
    // The run's progress: kept at once, shown at most ten times a second (showProgress()).
    void setProgressValue(double value);
    void setProgressCaption(const QString &caption);
    // Paints the kept progress now, as before a message or when the bar comes to rest.
    void showProgress();
    void scheduleProgress();
    void saveDelimiterOptions();
    void saveSaveOptions();
    void restoreOption(QRadioButton *option, bool selected);
    void removeSelectedRow();
    // Scans the folder and its subfolders (asking through the dialogs about trouble) and
    // appends their files matching the wildcard; a failing step is logged under the handler's
    // name and the next one follows.
    void addFolderTree(const char *handlerName, const FileName &folder, const QString &wildcard);
    // After a scan from the window: one message saying how many entries it left out and why,
    // when it left any out.
    void reportLeftOut(const ScanRecord &leftOut);
    // What a scan started from the window needs: it yields to the event loop, stops once the
    // window is closing, and shows failures in the error report.
    AddFolder::ScanHooks scanHooks();
    // Converts one file on the worker thread while this thread keeps handling events; a
    // cancelled result when the window closed in the meantime.
    JobStatus convertOnWorker(const BatchJob &job, const CsvFormat &format);
    void stopWorker();

    SettingsStore &m_settings;
    QtDialogs m_qtDialogs;
    Dialogs *m_dialogs;

    FileListView *ListView1 = nullptr;
    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QPushButton *PushButton4 = nullptr;
    QPushButton *PushButton6 = nullptr;
    QPushButton *PushButton7 = nullptr;
    QPushButton *PushButton9 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option3 = nullptr;
    QRadioButton *Option4 = nullptr;
    QRadioButton *Option5 = nullptr;
    QRadioButton *Option6 = nullptr;
    QRadioButton *Option7 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    CaptionProgressBar *ProgressBar1 = nullptr;

    PointerKind m_pointer = PointerKind::Default;
    QCursor m_customPointer{Qt::PointingHandCursor};
    bool m_closing = false;
    bool m_runInProgress = false;
    double m_progressValue = 0;
    QString m_progressCaption;
    QElapsedTimer m_progressShown;
    QTimer *m_progressTimer = nullptr;
    bool m_centred = false;

    // The conversion of the current file and the event loop that waits for it.
    std::unique_ptr<ConversionWorker> m_worker;
    QEventLoop *m_workerLoop = nullptr;

    // Reordering rows by dragging.
    bool m_armed = false;
    QPersistentModelIndex m_draggedRow;

    // Folders remembered between clicks of the browse buttons.
    QString m_rememberedOutputFolder;
    QString m_rememberedScanFolder;

    // The reminder for an emptied Text2 is on its way; it is shown once per focus loss.
    bool m_text2ReminderPending = false;
};
