#include "filelist/addfolder.h"

#include "core/failure.h"
#include "core/nativename.h"
#include "core/pathhelpers.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AddFolder {

namespace {

const QChar Separator = Main::pathSeparator();

QByteArray nativePath(const QString &path)
{
    return encodeNativeName(path);
}

// The path without trailing separators, so that a link is examined itself and not its target.
QString withoutTrailingSeparators(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == Separator)
        --end;
    return path.left(end);
}

QString systemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

Failure systemFailure(int errorNumber, const QString &path)
{
    return Failure(systemReason(errorNumber) + QStringLiteral(": ") + path, errorNumber);
}

// A folder of the scan (an entry of the folder list, or a folder given to ListFiles) as a
// record names it: without its trailing separator, doubled separators made single.
QString recordedPath(const QString &folder)
{
    return Main::CleanDoubleBackslashes(withoutTrailingSeparators(folder));
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
// failed listing goes to errorNumber, and the names read before it stay. The filter gets the
// open folder, so that it examines an entry without walking the folder's whole path again.
// Under ScanNames::TextOnly a name without a text form is left out; when it passes the filter
// all the same, its byte form goes to undecodable (if given).
template<typename Filter>
QStringList readFolder(const QString &folder, ScanNames scanNames, int &errorNumber,
                       Filter &&accept, QStringList *undecodable)
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
        const QString name = scanNames == ScanNames::KeepBytes ? decodeNativeName(entry->d_name)
                                                               : decodedName(entry->d_name);
        if (name.isNull()) {
            const QString bytes = decodeNativeName(entry->d_name);
            if (undecodable && accept(::dirfd(directory), *entry, bytes))
                undecodable->append(bytes);
            continue;
        }
        if (accept(::dirfd(directory), *entry, name))
            names.append(name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end(), byName);
    return names;
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

// The status of an entry in an open folder (folder -1: the name is a path), the entry's own
// and that of a link's target.
struct EntryStatus {
    struct stat link { };
    struct stat target { };
    bool targetExists = false;
    bool readOnly = false;
};

// Whether examine() also asks if the user may write the entry, a system call of its own.
enum class WriteAccess { Asked, NotAsked };

// False with errno when the entry itself cannot be examined.
bool examine(int folder, const char *name, EntryStatus &status,
             WriteAccess writeAccess = WriteAccess::Asked)
{
    const int at = folder >= 0 ? folder : AT_FDCWD;
    if (::fstatat(at, name, &status.link, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    status.target = status.link;
    status.targetExists
            = !S_ISLNK(status.link.st_mode) || ::fstatat(at, name, &status.target, 0) == 0;
    if (!status.targetExists)
        status.target = status.link;
    status.readOnly = writeAccess == WriteAccess::Asked && ::faccessat(at, name, W_OK, 0) != 0
            && (errno == EACCES || errno == EROFS);
    return true;
}

// The attribute value of the entry with the given name and status.
int attributesFrom(const QString &entry, const EntryStatus &status)
{
    const struct stat &link = status.link;
    const struct stat &target = status.target;
    int attributes = 0;
    if (S_ISDIR(target.st_mode))
        attributes |= Attribute::Directory;
    if (S_ISLNK(link.st_mode))
        attributes |= Attribute::ReparsePoint;
    if (status.readOnly)
        attributes |= Attribute::ReadOnly;
    const QString name = Main::GetFileNameFromPath(entry);
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".")
        && name != QLatin1String(".."))
        attributes |= Attribute::Hidden;
    return attributes;
}

} // namespace

int attributesOf(const QString &path)
{
    const QString entry = withoutTrailingSeparators(path);
    EntryStatus status;
    if (!examine(-1, nativePath(entry).constData(), status))
        throw systemFailure(errno, path);
    return attributesFrom(entry, status);
}

std::optional<int> existingFileAttributes(const QString &path)
{
    EntryStatus status;
    if (path.isEmpty() || !examine(-1, nativePath(path).constData(), status, WriteAccess::NotAsked)
        || !status.targetExists || !S_ISREG(status.target.st_mode))
        return std::nullopt;
    return attributesFrom(path, status);
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
                       [](uint c) { return c < 32 || (c >= 127 && c <= 159); });
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
    return ListFiles(folder, pattern, ScanNames::TextOnly, nullptr);
}

QStringList ListFiles(const QString &folder, const QString &pattern, ScanNames scanNames,
                      ScanRecord *leftOut)
{
    int errorNumber = 0;
    QStringList undecodable;
    const QStringList names = readFolder(
            folder, scanNames, errorNumber,
            [&](int folderHandle, const dirent &entry, const QString &name) {
                if (!matchesWildcard(name, pattern))
                    return false;
                // The listing tells the type of most entries; only a link, or an entry of a
                // file system that does not tell, is examined.
                if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
                    return entry.d_type == DT_REG;
                struct stat status { };
                return ::fstatat(folderHandle, entry.d_name, &status, 0) == 0
                        && S_ISREG(status.st_mode);
            },
            &undecodable);
    if (leftOut) {
        const QString path = recordedPath(folder);
        for (const QString &name : std::as_const(undecodable))
            leftOut->add(ScanRecord::Reason::NotUtf8,
                         FileName::fromPath(Main::CleanDoubleBackslashes(path + Separator + name)));
        // The scan of the tree has named a folder it could not list already.
        if (errorNumber != 0 && !leftOut->contains(FileName::fromPath(path)))
            leftOut->add(ScanRecord::Reason::NotListed, FileName::fromPath(path),
                         systemReason(errorNumber));
    }
    return names;
}

bool isRootFolder(const QString &path)
{
    return !path.isEmpty()
            && std::all_of(path.begin(), path.end(), [](QChar c) { return c == Separator; });
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
    return isFirstVisit(
            FolderId{static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino)});
}

bool FolderScan::isFirstVisit(const FolderId &id)
{
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

    // The caller's entries come first; every folder found is appended behind them and, when
    // recursing, listed in its turn, so the list grows level by level and every folder is
    // tested once, when it is found.
    qsizetype callerEntries = folders.size();
    // Until the first listing begins a failure is reported; from then on until the walk ends,
    // a failure ends the work on the folder at hand without a word.
    bool quiet = false;
    // A stopped scan hands back only what the caller gave.
    const auto abandon = [&] {
        folders.resize(callerEntries);
    };
    for (qsizetype i = 0; i < (recurse ? folders.size() : callerEntries); ++i) {
        const QString folder = folders.at(i);
        const bool found = i >= callerEntries;
        auto remove = [&](qsizetype at) {
            folders.removeAt(at);
            if (at < callerEntries)
                --callerEntries;
            // The entry that followed the removed one now stands at its place.
            if (at <= i)
                --i;
        };
        auto dropIfUnlistable = [&](int errorNumber) {
            if (!dropsFolder(errorNumber))
                return;
            const qsizetype at = found ? i : folders.indexOf(folder);
            if (at >= 0)
                remove(at);
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

        // A found folder was tested when it was found; one gone since fails its listing.
        if (!found && !Main::FolderExists(folder))
            continue;
        if (isTooLong(folder)) {
            leaveOut(ScanRecord::Reason::TooLong, folder);
            if (found)
                remove(i);
            continue;
        }
        try {
            if (!yield(folder))
                return abandon();
        } catch (...) {
            if (failed(114))
                continue;
        }
        if (!found && !isRootFolder(folder)) {
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
        QHash<QString, FolderId> ids;
        QStringList undecodable;
        const QStringList subfolders = readFolder(
                folder, m_names, errorNumber,
                [&](int folderHandle, const dirent &entry, const QString &name) {
                    const std::optional<FolderId> id = scannedFolder(folderHandle, entry, name);
                    if (id)
                        ids.insert(name, *id);
                    return id.has_value();
                },
                &undecodable);
        for (const QString &name : std::as_const(undecodable))
            leaveOut(ScanRecord::Reason::NotUtf8, folder + name);
        for (const QString &name : subfolders) {
            try {
                if (!yield(folder))
                    return abandon();
                // Names of folders with control characters have no safe text form for a row.
                if (m_names == ScanNames::TextOnly && HasUnsafeCharacters(name))
                    leaveOut(ScanRecord::Reason::ControlCharacters, folder + name);
                else if (name.size() < PathLimit && isFirstVisit(ids.value(name)))
                    folders.append(folder + name + Separator);
            } catch (...) {
                failed(122);
                errorNumber = 0;
                break;
            }
        }
        if (errorNumber != 0) {
            leaveOut(ScanRecord::Reason::NotListed, folder, systemReason(errorNumber));
            dropIfUnlistable(errorNumber);
        }
    }
}

bool FolderScan::isTooLong(const QString &folder) const
{
    // The list's rows count characters; names kept by their bytes meet the system's limit,
    // which counts bytes.
    const qsizetype length
            = m_names == ScanNames::KeepBytes ? encodeNativeName(folder).size() : folder.size();
    return length >= PathLimit;
}

void FolderScan::leaveOut(ScanRecord::Reason reason, const QString &path, const QString &detail)
{
    if (m_leftOut)
        m_leftOut->add(reason, FileName::fromPath(recordedPath(path)), detail);
}

std::optional<FolderScan::FolderId> FolderScan::scannedFolder(int folder, const dirent &entry,
                                                              const QString &name)
{
    // A symbolic link to a folder is not entered: it may lead out of the tree.
    if (entry.d_type != DT_DIR && entry.d_type != DT_UNKNOWN)
        return std::nullopt;
    EntryStatus status;
    if (!examine(folder, entry.d_name, status) || !S_ISDIR(status.link.st_mode)
        || stopsScan(attributesFrom(name, status)))
        return std::nullopt;
    return FolderId{static_cast<quint64>(status.link.st_dev),
                    static_cast<quint64>(status.link.st_ino)};
}

} // namespace AddFolder
