// "Start Converting" (PushButton2): the batch run over the list, file by file on a worker.
#include "shell/form1.h"

#include "batch/conversionworker.h"
#include "conversion/convertfile.h"
#include "core/outputnaming.h"
#include "core/pathhelpers.h"
#include "core/reportingprocedure.h"
#include "shell/eventloop.h"
#include "shell/filelistview.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QString loadFailureText(const QString &inputPath, const ConversionResult &result)
{
    return QStringLiteral("Error reading ") + inputPath + QStringLiteral("\r\nerror:")
            + result.reason + QStringLiteral("\r\nLine:") + QString::number(result.line)
            + QStringLiteral("\r\nposition:") + QString::number(result.column);
}

// Files this small convert in a fraction of a frame. Converted on the window's own thread they
// cost no hand-over to the worker and back, which on a busy machine takes longer than the
// conversion itself. Anything else (large, or not a regular file, such as a pipe that may never
// end) goes to the worker, so that the window keeps answering.
constexpr qint64 SmallFileBytes = 64 * 1024;

bool convertsInAFrame(const QString &inputPath)
{
    const QFileInfo info(inputPath);
    return info.isFile() && info.size() <= SmallFileBytes;
}

// The worker's conversion without the worker: failures become results as they do there.
ConversionResult convertHere(const QString &inputPath, const QString &outputPath,
                             const QString &delimiter)
{
    try {
        return convertFile(inputPath, outputPath, delimiter, nullptr, InputKinds::RegularFilesOnly);
    } catch (const std::exception &failure) {
        ConversionResult result;
        result.status = ConversionResult::Status::WriteFailed;
        result.reason = QString::fromLocal8Bit(failure.what());
        return result;
    }
}

} // namespace

void Form1::PushButton2_Click()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::PushButton2Click);
    if (procedure.test(100, [this] { return m_runInProgress; }))
        return;
    procedure.run(102, [this] { m_runInProgress = true; });

    // Steps 3 to 8; every early return goes on with step 9.
    const auto run = [&] {
        if (procedure.test(104, [this] { return ListView1->rowCount() == 0; })) {
            procedure.run(174, [this] { dialogs().message(QStringLiteral("No files added.")); });
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

        int count = 0;
        procedure.run(130, [&] { count = ListView1->rowCount(); });
        QString inputPath;
        QString outputPath;
        for (int i = 1; i <= count; ++i) {
            procedure.run(132, [&] {
                if (i > ListView1->rowCount())
                    throw Failure(QStringLiteral("Index out of bounds"));
                inputPath = ListView1->rowText(i - 1);
            });
            procedure.run(134, [&] {
                setProgressValue(static_cast<double>(i) / ListView1->rowCount() * 100.0);
            });
            procedure.run(136, [&] {
                setProgressCaption(QStringLiteral("Processing: ")
                                   + Main::GetFileNameFromPath(inputPath));
            });
            procedure.run(138, [] { yieldToEventLoop(); });
            if (isClosing())
                return;
            procedure.run(140, [this] { setPointer(PointerKind::Busy); });
            if (procedure.test(142, [&] { return !saveBeside; }))
                procedure.run(144,
                              [&] { outputPath = outputPathFor(inputPath, true, outputFolder); });
            else
                procedure.run(148, [&] { outputPath = outputPathFor(inputPath, false, {}); });

            ConversionResult result;
            procedure.run(150, [this] { m_worker = std::make_unique<ConversionWorker>(); });
            procedure.run(152, [&] {
                if (convertsInAFrame(inputPath)) {
                    result = convertHere(inputPath, outputPath, delimiter);
                    return;
                }
                // A file that may take a while has its name on the bar while it converts.
                showProgress();
                result = convertOnWorker(inputPath, outputPath, delimiter);
            });
            if (isClosing() || result.status == ConversionResult::Status::Cancelled)
                return;

            // A message names a file: the bar shows the same one.
            if (result.status != ConversionResult::Status::Converted)
                showProgress();
            switch (result.status) {
            case ConversionResult::Status::LoadFailed:
                procedure.run(154, [&] { dialogs().message(loadFailureText(inputPath, result)); });
                break;
            case ConversionResult::Status::WalkFailed:
                ReportError(dialogs(), result.reason, ProcedureTag::ConvertToCSV, result.step);
                break;
            case ConversionResult::Status::WriteFailed:
                procedure.run(160, [&] { throw Failure(result.reason); });
                break;
            case ConversionResult::Status::Converted:
            case ConversionResult::Status::Cancelled:
                break;
            }
        }

        procedure.run(164, [this] { setPointer(PointerKind::Default); });
        procedure.run(166, [this] { setProgressValue(0); });
        procedure.run(168, [this] {
            setProgressCaption(QStringLiteral("Progress Bar"));
            showProgress();
        });
        procedure.run(170, [this] { dialogs().message(QStringLiteral("Done.")); });
    };
    run();

    procedure.run(176, [this] { m_runInProgress = false; });
}

ConversionResult Form1::convertOnWorker(const QString &inputPath, const QString &outputPath,
                                        const QString &delimiter)
{
    if (!m_worker)
        throw Failure(QStringLiteral("No conversion worker"));
    // The wait is one long yield: the window repaints and its handlers run until the worker ends
    // or the window closes.
    QEventLoop loop;
    connect(m_worker.get(), &ConversionWorker::finished, &loop, &QEventLoop::quit,
            Qt::QueuedConnection);
    m_worker->start(inputPath, outputPath, delimiter);
    m_workerLoop = &loop;
    if (!m_closing)
        loop.exec();
    m_workerLoop = nullptr;

    // The loop also ends when the application quits; the file is then abandoned.
    if (m_closing || m_worker->isRunning())
        m_worker->cancel();
    m_worker->wait();
    ConversionResult result = m_worker->result();
    m_worker.reset();
    return result;
}

void Form1::stopWorker()
{
    if (!m_worker)
        return;
    m_worker->cancel();
    m_worker->wait();
}
