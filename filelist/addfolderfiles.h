#pragma once

#include "core/failure.h"
#include "core/pathhelpers.h"
#include "filelist/addfolder.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace AddFolder {

// The row for a file found in a scanned folder: the folder (an entry of the folder list without
// its trailing separator), a separator and the name, with doubled separators made single.
QString folderFileRow(const QString &folder, const QString &name);

// Numbered statements for callers without an error report: a failing statement is passed over
// and a failing test counts as failed; each failure's description goes to the sink, if any.
class QuietSteps {
public:
    explicit QuietSteps(std::function<void(const QString &)> failureSink = {})
        : m_failureSink(std::move(failureSink))
    {
    }

    template<typename Statement> bool run(int, Statement &&statement)
    {
        try {
            statement();
            return true;
        } catch (...) {
            failed();
            return false;
        }
    }

    template<typename Condition> bool test(int, Condition &&condition)
    {
        try {
            return static_cast<bool>(condition());
        } catch (...) {
            failed();
            return false;
        }
    }

private:
    void failed()
    {
        if (m_failureSink)
            m_failureSink(describeCurrentException());
    }

    std::function<void(const QString &)> m_failureSink;
};

// True when the system cannot open the path by its name: it is at or over the length limit.
bool isPathTooLong(const QString &path);

// Hands every file of the scanned folders that matches the pattern to append, as a row: the
// folders in list order, each folder's names in ListFiles order, skipping names that start with
// "~", files that are gone (also those vanishing while examined) and hidden archive files. Steps is
// a ReportingProcedure or QuietSteps; its step numbers are those of the add-folder button. Names
// are taken as scanNames says; a file left out for its name or its path's length, and a folder
// that cannot be listed, go to leftOut, if given.
template<typename Steps, typename Append>
void appendFilesOfFolders(Steps &steps, const QStringList &folders, const QString &pattern,
                          Append &&append, ScanNames scanNames = ScanNames::TextOnly,
                          ScanRecord *leftOut = nullptr)
{
    for (const QString &entry : folders) {
        QString folder;
        steps.run(120, [&] { folder = entry.left(entry.size() - 1); });
        QStringList names;
        steps.run(122, [&] { names = ListFiles(folder, pattern, scanNames, leftOut); });
        for (const QString &name : std::as_const(names)) {
            if (steps.test(126, [&] { return name.startsWith(QLatin1Char('~')); }))
                continue;
            QString path;
            steps.run(128, [&] { path = folder + Main::pathSeparator() + name; });
            if (isPathTooLong(path)) {
                if (leftOut)
                    leftOut->add(ScanRecord::Reason::TooLong,
                                 FileName::fromPath(folderFileRow(folder, name)));
                continue;
            }
            // One probe answers both questions, so a file that vanishes meanwhile is passed over.
            if (steps.test(132, [&] {
                    const std::optional<int> attributes = existingFileAttributes(path);
                    return attributes && *attributes != HiddenArchiveFile;
                }))
                steps.run(132, [&] { append(folderFileRow(folder, name)); });
        }
    }
}

// The rows a scan of the folder and all folders below it gives for the pattern, without
// dialogs: what adding the folder in the window would add. Names are taken as scanNames says;
// what the scan leaves out goes to leftOut, if given.
QStringList filesOfFolderTree(const QString &folder, const QString &pattern, ScanHooks hooks = {},
                              ScanNames scanNames = ScanNames::TextOnly,
                              ScanRecord *leftOut = nullptr);

} // namespace AddFolder
