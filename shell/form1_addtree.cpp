// Folders added whole to the list, as dropped on it or given on the window's command line.
#include "shell/form1.h"

#include "core/errorreport.h"
#include "core/handlerguard.h"
#include "core/pathhelpers.h"
#include "filelist/addfolder.h"
#include "filelist/addfolderfiles.h"
#include "shell/eventloop.h"
#include "shell/filelistview.h"

AddFolder::ScanHooks Form1::scanHooks()
{
    AddFolder::ScanHooks hooks;
    hooks.yield = [this](const QString &) {
        yieldToEventLoop();
        return !isClosing();
    };
    hooks.report = [this](const QString &description, int step) {
        ReportError(dialogs(), description, ProcedureTag::GetSubDirectories2016, step);
    };
    return hooks;
}

void Form1::reportLeftOut(const ScanRecord &leftOut)
{
    if (!leftOut.isEmpty())
        dialogs().message(leftOut.summary());
}

void Form1::addFolderTree(const char *handlerName, const FileName &folder, const QString &wildcard)
{
    QStringList folders{folder.path() + Main::pathSeparator()};
    ScanRecord leftOut;
    AddFolder::FolderScan scan(scanHooks(), ScanNames::TextOnly, &leftOut);
    scan.GetSubDirectories2016(folders, true);
    if (scan.stopped())
        return;
    AddFolder::QuietSteps steps([handlerName](const QString &description) {
        logHandlerFailure(handlerName, description);
    });
    AddFolder::appendFilesOfFolders(
            steps, folders, wildcard, [&](const QString &row) { ListView1->appendRow(row); },
            ScanNames::TextOnly, &leftOut);
    reportLeftOut(leftOut);
}
