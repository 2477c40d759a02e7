// "Start Converting" (PushButton2): the batch run over the list, file by file on a worker.
#include "shell/form1.h"

#include "batch/conversionworker.h"
#include "batch/plan.h"
#include "batch/run.h"
#include "core/failure.h"
#include "core/filename.h"
#include "core/pathhelpers.h"
#include "core/reportingprocedure.h"
#include "shell/eventloop.h"
#include "shell/filelistview.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>

namespace {

// How long a conversion is waited for without the event loop: about a frame. Most files are
// converted by then, and the worker's result is taken without a trip through the event loop.
constexpr std::chrono::milliseconds AboutAFrame{16};

const QString CannotWriteToFolder
        = QStringLiteral("Cannot write to this folder. Please select another folder.");

QString loadFailureText(const FileName &input, const JobStatus &status)
{
    return QStringLiteral("Error reading ") + input.display() + QStringLiteral("\r\nerror:")
            + status.reason + QStringLiteral("\r\nLine:") + QString::number(status.line)
            + QStringLiteral("\r\nposition:") + QString::number(status.column);
}

// What the run is asked to do: the rows of the list as they are now, each result in the chosen
// folder or beside its input.
BatchRequest runRequest(const QList<FileName> &rows, bool saveBeside, const QString &outputFolder,
                        const QString &delimiter)
{
    BatchRequest request;
    for (const FileName &row : rows)
        request.inputs.append(BatchInput::file(row));
    request.place = saveBeside ? OutputPlace::besideInput()
                               : OutputPlace::inFolder(FileName::fromPath(outputFolder));
    request.format.delimiter = delimiter;
    return request;
}

// One line per pair of files of the run that wrote the same result.
QString clashText(const BatchPlan &plan, const QList<OutputClash> &clashes)
{
    QString text = QStringLiteral(
            "Some files of this run have the same result file; the result of the later one "
            "remains:");
    for (const OutputClash &clash : clashes) {
        text += u'\r' + plan.jobs[clash.earlier].input.display() + QStringLiteral(" and ")
                + plan.jobs[clash.last].input.display() + QStringLiteral(" both write ")
                + plan.jobs[clash.last].output.display();
    }
    return text;
}

} // namespace

void Form1::PushButton2_Click()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::PushButton2Click);
    if (procedure.test(100, [this] { return m_runInProgress; }))
        return;
    procedure.run(102, [this] { m_runInProgress = true; });

    // From the checks to "Done."; every early return goes on to clear the run's flag.
    const auto run = [&] {
        if (procedure.test(104, [this] { return ListView1->rowCount() == 0; })) {
            procedure.run(174, [this] { dialogs().message(QStringLiteral("No files added.")); });
            return;
        }
        // Results go nowhere without a save option: refused before anything is written.
        if (procedure.test(186,
                           [this] { return !Option6->isChecked() && !Option7->isChecked(); })) {
            procedure.run(188, [this] {
                dialogs().message(QStringLiteral("Please choose where to save the results."));
            });
            return;
        }
        // The place is taken once, where it is checked: both controls stay editable during the
        // run, and a folder changed mid-run would be used unchecked.
        bool saveBeside = false;
        QString outputFolder;
        if (!procedure.test(106, [&] {
                saveBeside = Option7->isChecked();
                outputFolder = Text1->text();
                return Main::FolderExists(outputFolder) || saveBeside;
            })) {
            procedure.run(172, [this] {
                dialogs().message(
                        QStringLiteral("Folder does not exist. Please select another folder."));
            });
            return;
        }
        // A folder that takes no new file would fail every file of the run, one report each.
        if (procedure.test(190, [&] {
                return !saveBeside && !folderAcceptsNewFile(FileName::fromPath(outputFolder));
            })) {
            procedure.run(192, [this] { dialogs().message(CannotWriteToFolder); });
            return;
        }

        procedure.run(108, [] { yieldToEventLoop(); });
        if (isClosing())
            return;

        // An empty "Other" delimiter would run names and values together: refused before it is
        // chosen, after the yield in which it could still change.
        if (procedure.test(178, [this] {
                return !Option1->isChecked() && !Option2->isChecked() && !Option3->isChecked()
                        && !Option4->isChecked() && Option5->isChecked() && Text2->text().isEmpty();
            })) {
            procedure.run(180, [this] {
                dialogs().message(QStringLiteral("You forgot to input a value."));
            });
            return;
        }
        if (procedure.test(182, [this] {
                return !Option1->isChecked() && !Option2->isChecked() && !Option3->isChecked()
                        && !Option4->isChecked() && !Option5->isChecked();
            })) {
            procedure.run(184, [this] {
                dialogs().message(QStringLiteral("Please choose a CSV delimiter."));
            });
            return;
        }

        QString delimiter;
        if (procedure.test(110, [this] { return Option1->isChecked(); }))
            procedure.run(112, [&] { delimiter = QStringLiteral(","); });
        else if (procedure.test(114, [this] { return Option2->isChecked(); }))
            procedure.run(116, [&] { delimiter = QStringLiteral(", "); });
        else if (procedure.test(118, [this] { return Option3->isChecked(); }))
            procedure.run(120, [&] { delimiter = QStringLiteral(";"); });
        else if (procedure.test(122, [this] { return Option4->isChecked(); }))
            procedure.run(124, [&] { delimiter = QStringLiteral("\t"); });
        else if (procedure.test(126, [this] { return Option5->isChecked(); }))
            procedure.run(128, [&] { delimiter = Text2->text(); });

        // The rows are planned once, as they stand when the run begins: rows added later are
        // not converted in this run, and rows cannot be moved or removed until it ends.
        BatchPlan plan;
        procedure.run(130, [&] {
            plan = makePlan(runRequest(ListView1->rowNames(), saveBeside, outputFolder, delimiter));
        });

        FileName input;
        // The chosen folder stopped taking new files mid-run (removed, replaced, unmounted): the
        // run ends, so the cause is reported once instead of once per file.
        bool folderLost = false;
        RunHooks hooks;
        hooks.starting = [&](qsizetype job) {
            if (isClosing() || folderLost)
                return false;
            const int i = static_cast<int>(job) + 1;
            procedure.run(132, [&] { input = plan.jobs[job].input; });
            procedure.run(134, [&] {
                setProgressValue(static_cast<double>(i) / ListView1->rowCount() * 100.0);
            });
            procedure.run(136, [&] {
                setProgressCaption(
                        QStringLiteral("Processing: ")
                        + FileName::fromPath(Main::GetFileNameFromPath(input.path())).display());
            });
            procedure.run(138, [] { yieldToEventLoop(); });
            if (isClosing())
                return false;
            procedure.run(140, [this] { setPointer(PointerKind::Busy); });
            // The plan named the output when the run began, in the chosen folder or beside the
            // input.
            return true;
        };
        // A conversion that failed to start was reported at its step; its job is over.
        bool failureShown = false;
        hooks.convert = [&](qsizetype job) {
            JobStatus status;
            // One worker, and its thread, serves every file of the run.
            procedure.run(150, [this] {
                if (!m_worker)
                    m_worker = std::make_unique<ConversionWorker>();
            });
            failureShown = !procedure.run(
                    152, [&] { status = convertOnWorker(plan.jobs[job], plan.format); });
            if (failureShown)
                status.kind = JobStatus::Kind::Failed;
            return status;
        };
        hooks.finished = [&](qsizetype, const JobStatus &status) {
            if (isClosing() || status.kind == JobStatus::Kind::Cancelled
                || std::exchange(failureShown, false))
                return;
            if (!status.converted() && status.kind != JobStatus::Kind::NotRead && !saveBeside
                && !folderAcceptsNewFile(FileName::fromPath(outputFolder))) {
                folderLost = true;
                return;
            }
            // A message names a file: the bar shows the same one.
            if (!status.converted())
                showProgress();
            switch (status.kind) {
            case JobStatus::Kind::NotRead:
                procedure.run(154, [&] { dialogs().message(loadFailureText(input, status)); });
                break;
            case JobStatus::Kind::Failed:
                if (status.step > 0) {
                    ReportError(dialogs(), status.reason, ProcedureTag::ConvertToCSV, status.step);
                    break;
                }
                [[fallthrough]];
            case JobStatus::Kind::NotWritten:
            case JobStatus::Kind::Skipped:
                procedure.run(160, [&] { throw Failure(status.reason); });
                break;
            case JobStatus::Kind::Converted:
            case JobStatus::Kind::Superseded:
            case JobStatus::Kind::Cancelled:
                break;
            }
        };
        const BatchReport report = [&] {
            const auto endWorker = qScopeGuard([this] { m_worker.reset(); });
            return runBatch(plan, RunOptions(), hooks);
        }();
        if (isClosing() || (report.cancelled() && !folderLost))
            return;

        procedure.run(164, [this] { setPointer(PointerKind::Default); });
        procedure.run(166, [this] { setProgressValue(0); });
        procedure.run(168, [this] {
            setProgressCaption(QStringLiteral("Progress Bar"));
            showProgress();
        });
        if (folderLost) {
            procedure.run(192, [&] {
                const qsizetype notConverted = std::count_if(
                        report.statuses.cbegin(), report.statuses.cend(),
                        [](const JobStatus &status) { return !status.converted(); });
                dialogs().message(CannotWriteToFolder
                                  + QStringLiteral("\r\r%1 of %2 files were not converted.")
                                            .arg(notConverted)
                                            .arg(plan.size()));
            });
            return;
        }
        // Two rows writing one result: the later one's remains, and the user is told once.
        const QList<OutputClash> clashes = findClashes(plan);
        if (!clashes.isEmpty())
            procedure.run(194, [&] { dialogs().message(clashText(plan, clashes)); });
        procedure.run(170, [this] { dialogs().message(QStringLiteral("Done.")); });
    };
    run();

    procedure.run(176, [this] { m_runInProgress = false; });
}

JobStatus Form1::convertOnWorker(const BatchJob &job, const CsvFormat &format)
{
    if (!m_worker)
        throw Failure(QStringLiteral("No conversion worker"));
    // Nothing is read on this thread, where a file on a share that stalls would freeze the
    // window. A conversion that is not over within about a frame is waited for in one long
    // yield: the window repaints and its handlers run until the worker ends or the window closes.
    QEventLoop loop;
    m_worker->start(job, format);
    if (!m_worker->waitFor(AboutAFrame)) {
        // A file that takes a while has its name on the bar while it converts.
        showProgress();
        // Connected only now: the files done within the bound cost no event each. A conversion
        // that ends before the connection is seen as ended below.
        connect(m_worker.get(), &ConversionWorker::finished, &loop, &QEventLoop::quit,
                Qt::QueuedConnection);
        m_workerLoop = &loop;
        if (!m_closing && m_worker->isRunning())
            loop.exec();
        m_workerLoop = nullptr;
    }

    // The loop also ends when the application quits; the file is then abandoned.
    if (m_closing || m_worker->isRunning())
        m_worker->cancel();
    m_worker->wait();
    return m_worker->result();
}

void Form1::stopWorker()
{
    if (!m_worker)
        return;
    m_worker->cancel();
    m_worker->wait();
}
