#include "filelist/addfolder.h"

#include "conversion/pathhelpers.h"
#include "core/errorreport.h"
#include "core/eventloop.h"
#include "core/failure.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AddFolder {

namespace {

const QChar Separator = Main::pathSeparator();

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// The path without trailing separators, so that a link is examined itself and not its target.
QString withoutTrailingSeparators(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == Separator)
        --end;
    return path.left(end);
}

Failure systemFailure(int errorNumber, const QString &path)
{
    return Failure(QString::fromLocal8Bit(std::strerror(errorNumber)) + QStringLiteral(": ") + path,
                   errorNumber);
}

// A name read from the file system as text, or null text when its bytes are not UTF-8 and so
// have no faithful text form.
QString decodedName(const char *bytes)
{
    const QByteArray raw(bytes);
    QString name = QFile::decodeName(raw);
    if (QFile::encodeName(name) != raw)
        return {};
    return name;
}

bool byName(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

// Reads the names of the folder's entries that pass the filter, sorted by name; errno of a
// failed listing goes to errorNumber, and the names read before it stay.
template<typename Filter>
QStringList readFolder(const QString &folder, int &errorNumber, Filter &&accept)
{
    QStringList names;
    errorNumber = 0;
    DIR *directory = ::opendir(nativePath(folder).constData());
    if (!directory) {
        errorNumber = errno;
        return names;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(directory);
        if (!entry) {
            errorNumber = errno;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const QString name = decodedName(entry->d_name);
        if (!name.isNull() && accept(*entry, name))
            names.append(name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end(), byName);
    return names;
}

QString joined(const QString &folder, const QString &name)
{
    if (folder.endsWith(Separator))
        return folder + name;
    return folder + Separator + name;
}

bool isFolderEntry(const dirent &entry, const QString &path)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status { };
    return ::stat(nativePath(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The listing failures after which the folder is dropped with its files: permission denied and
// path not found.
bool dropsFolder(int errorNumber)
{
    return errorNumber == EACCES || errorNumber == EPERM || errorNumber == ENOENT
            || errorNumber == ENOTDIR;
}

// The errno value a caught Failure carries; 0 for anything else.
int currentFailureNumber()
{
    try {
        throw;
    } catch (const Failure &failure) {
        return failure.number();
    } catch (...) {
        return 0;
    }
}

bool stopsScan(int attributes)
{
    return attributes == HiddenSystemFolder || attributes == HiddenSystemLinkedFolder;
}

bool globMatches(const QList<uint> &name, qsizetype n, const QList<uint> &pattern, qsizetype p)
{
    // Iterative matching with one backtrack point for the last "*".
    qsizetype starPattern = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starPattern = p++;
            starName = n;
        } else if (starPattern >= 0) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

int attributesOf(const QString &path)
{
    const QString entry = withoutTrailingSeparators(path);
    const QByteArray native = nativePath(entry);
    struct stat link { };
    if (::lstat(native.constData(), &link) != 0)
        throw systemFailure(errno, path);
    struct stat target = link;
    if (S_ISLNK(link.st_mode) && ::stat(native.constData(), &target) != 0)
        target = link;

    int attributes = 0;
    if (S_ISDIR(target.st_mode))
        attributes |= Attribute::Directory;
    if (S_ISLNK(link.st_mode))
        attributes |= Attribute::ReparsePoint;
    if (::access(native.constData(), W_OK) != 0 && (errno == EACCES || errno == EROFS))
        attributes |= Attribute::ReadOnly;
    const QString name = Main::GetFileNameFromPath(entry);
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".")
        && name != QLatin1String(".."))
        attributes |= Attribute::Hidden;
    return attributes;
}

bool IsExistingFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat status { };
    return ::stat(nativePath(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool HasUnsafeCharacters(const QString &name)
{
    const QList<uint> codePoints = name.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(),
                       [](uint c) { return c < 32 || (c >= 127 && c <= 159) || c == u'?'; });
}

bool matchesWildcard(const QString &name, const QString &pattern)
{
    const QList<uint> foldedName = name.toCaseFolded().toUcs4();
    const QList<uint> foldedPattern = pattern.toCaseFolded().toUcs4();
    if (globMatches(foldedName, 0, foldedPattern, 0))
        return true;
    // As in a Windows directory listing, a final ".*" also matches nothing at all, dot included.
    if (pattern.endsWith(QLatin1String(".*")))
        return globMatches(foldedName, 0, foldedPattern.mid(0, foldedPattern.size() - 2), 0);
    return false;
}

QStringList ListFiles(const QString &folder, const QString &pattern)
{
    int errorNumber = 0;
    return readFolder(folder, errorNumber, [&](const dirent &, const QString &name) {
        return matchesWildcard(name, pattern) && IsExistingFile(joined(folder, name));
    });
}

bool isRootFolder(const QString &path)
{
    return !path.isEmpty()
            && std::all_of(path.begin(), path.end(), [](QChar c) { return c == Separator; });
}

ScanHooks windowScanHooks(Dialogs &dialogs, std::function<bool()> isClosing)
{
    ScanHooks hooks;
    hooks.yield = [isClosing = std::move(isClosing)](const QString &) {
        yieldToEventLoop();
        return !isClosing();
    };
    hooks.report = [&dialogs](const QString &description, int step) {
        ReportError(dialogs, description, ProcedureTag::GetSubDirectories2016, step);
    };
    return hooks;
}

bool FolderScan::yield(const QString &folder)
{
    if (m_hooks.yield && !m_hooks.yield(folder))
        m_stopped = true;
    return !m_stopped;
}

void FolderScan::report(const QString &description, int step)
{
    if (m_hooks.report)
        m_hooks.report(description, step);
}

bool FolderScan::isFirstVisit(const QString &folder)
{
    struct stat status { };
    if (::stat(nativePath(folder).constData(), &status) != 0)
        return false;
    const FolderId id{static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino)};
    if (m_visited.contains(id))
        return false;
    m_visited.insert(id);
    return true;
}

void FolderScan::GetSubDirectories2016(QStringList &folders, bool recurse)
{
    if (m_stopped)
        return;
    if (m_visited.isEmpty()) {
        for (const QString &folder : std::as_const(folders))
            isFirstVisit(folder);
    }

    QStringList found;
    // Until the first listing begins a failure is reported; from then on until the walk ends,
    // a failure ends the work on the folder at hand without a word.
    bool quiet = false;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QString folder = folders.at(i);
        auto dropIfUnlistable = [&](int errorNumber) {
            if (!dropsFolder(errorNumber))
                return;
            const qsizetype at = folders.indexOf(folder);
            if (at < 0)
                return;
            folders.removeAt(at);
            // The entry that followed the removed one now stands at its place.
            if (at <= i)
                --i;
        };
        // Handles the failure being caught; true when the work on this folder ends.
        auto failed = [&](int step) {
            if (!quiet) {
                report(describeCurrentException(), step);
                return false;
            }
            dropIfUnlistable(currentFailureNumber());
            return true;
        };

        if (!Main::FolderExists(folder) || folder.size() >= PathLimit)
            continue;
        try {
            if (!yield(folder))
                return;
        } catch (...) {
            if (failed(114))
                continue;
        }
        if (!isRootFolder(folder)) {
            try {
                if (stopsScan(attributesOf(folder)))
                    continue;
            } catch (...) {
                // A failing test lets the statement it guards run: on to the next entry.
                failed(116);
                continue;
            }
        }

        quiet = true;
        int errorNumber = 0;
        const QStringList subfolders
                = readFolder(folder, errorNumber, [&](const dirent &entry, const QString &name) {
                      return isFolderEntry(entry, joined(folder, name));
                  });
        for (const QString &name : subfolders) {
            try {
                if (!yield(folder))
                    return;
                if (name.size() < PathLimit && !HasUnsafeCharacters(name)
                    && !name.contains(QLatin1Char('?')) && name != QLatin1String(".")
                    && name != QLatin1String("..")) {
                    const QString subfolder = folder + name + Separator;
                    if (isFirstVisit(subfolder))
                        found.append(subfolder);
                }
            } catch (...) {
                failed(122);
                errorNumber = 0;
                break;
            }
        }
        if (errorNumber != 0)
            dropIfUnlistable(errorNumber);
    }

    if (recurse && !found.isEmpty()) {
        try {
            GetSubDirectories2016(found, true);
        } catch (...) {
            report(describeCurrentException(), 150);
        }
        if (m_stopped)
            return;
    }

    for (const QString &entry : std::as_const(found)) {
        if (!Main::FolderExists(entry))
            continue;
        try {
            if (!yield(entry))
                return;
        } catch (...) {
            report(describeCurrentException(), 156);
        }
        bool keep = true;
        if (!isRootFolder(entry)) {
            try {
                keep = !stopsScan(attributesOf(entry));
            } catch (...) {
                // A failing test lets the statement it guards run.
                report(describeCurrentException(), 158);
            }
        }
        if (keep)
            folders.append(entry);
    }
}

} // namespace AddFolder
