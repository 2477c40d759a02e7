#pragma once

#include "filelist/scanrecord.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

struct dirent;

// The folder scan: the folders of a tree level by level, the matching files of one folder, and
// the probes both use. Works on the file system only; no widgets.
namespace AddFolder {

// The attribute bits the scan looks at. System and archive do not exist on this platform and
// always read as not set.
namespace Attribute {
inline constexpr int ReadOnly = 1;
inline constexpr int Hidden = 2;
inline constexpr int System = 4;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;
inline constexpr int ReparsePoint = 1024;
} // namespace Attribute

// Folder attribute values that are never listed nor entered, and the file value never added.
inline constexpr int HiddenSystemFolder
        = Attribute::Hidden | Attribute::System | Attribute::Directory;
inline constexpr int HiddenSystemLinkedFolder = HiddenSystemFolder | Attribute::ReparsePoint;
inline constexpr int HiddenArchiveFile = Attribute::Hidden | Attribute::Archive;

// Paths and names this long or longer are not scanned: the platform's own path limit.
inline constexpr qsizetype PathLimit = 4096;

// The attribute value of the file or folder: directory, read-only (the user may not write it),
// hidden (the name starts with a dot) and reparse point (a symbolic link). Throws Failure
// carrying the errno value as its number when the path cannot be examined.
int attributesOf(const QString &path);

// The attribute value of the path when it names an existing regular file (following links);
// nothing when it does not, also when it vanishes while it is examined. Never fails. The
// read-only bit is left out: a scan asks this of every file it finds, only to pass over hidden
// archive files, and the question would cost each file a system call of its own.
std::optional<int> existingFileAttributes(const QString &path);

// True when the path names an existing regular file (following links). Only asks the file
// system for the entry's status, so a named pipe or a device is never opened. Never fails.
bool IsExistingFile(const QString &path);

// True when the name holds a code point below 32 or from 127 to 159. A "?" is an ordinary
// character here; names that have no text form never reach this test.
bool HasUnsafeCharacters(const QString &name);

// True when the wildcard pattern matches the name as a Windows directory listing does:
// "*" any run, "?" one character, letter case ignored, and a trailing ".*" also matching names
// without a dot (so "*.*" matches every name).
bool matchesWildcard(const QString &name, const QString &pattern);

// The names, without folder, of the regular files directly in the folder that match the
// pattern, hidden files included, sorted by name with letter case ignored. The folder may end
// with a separator or not. Empty when nothing matched or the folder cannot be listed; names
// that are not valid UTF-8 cannot be represented and are left out. Never fails.
QStringList ListFiles(const QString &folder, const QString &pattern);

// The same, taking names as scanNames says; what it leaves out goes to leftOut (if given): a
// matching name without a text form, and the folder when it cannot be listed.
QStringList ListFiles(const QString &folder, const QString &pattern, ScanNames scanNames,
                      ScanRecord *leftOut);

// True for the file-system root, however many separators spell it.
bool isRootFolder(const QString &path);

// What a scan needs from its caller.
struct ScanHooks {
    // Runs once per folder and once per subfolder, with the folder being worked on, so that a
    // window stays responsive; returns false when the scan must stop at once.
    std::function<bool(const QString &folder)> yield;
    // Shows a failure outside the quiet stretch of the scan with its step number.
    std::function<void(const QString &description, int step)> report;
};

// One scan of a folder tree (one button press, one dropped folder). Symbolic links to folders
// found in the tree are not entered (the folders it starts from are, links or not), and every
// folder is tested once, when it is found. It remembers the real folders it has seen, by device
// and inode, so that a folder mounted inside itself cannot make it endless. Names are taken as
// scanNames says; every folder it leaves out (one it cannot list, a path too long, a name it
// does not take) goes to leftOut, if given, which must outlive the scan.
class FolderScan {
public:
    explicit FolderScan(ScanHooks hooks = {}, ScanNames scanNames = ScanNames::TextOnly,
                        ScanRecord *leftOut = nullptr)
        : m_hooks(std::move(hooks)), m_names(scanNames), m_leftOut(leftOut)
    {
    }

    // Appends to the folder list every folder found below its entries: all first-level
    // subfolders, then all second-level ones, and so on (only the first level unless recurse).
    // Every entry ends with a separator. An entry whose subfolders cannot be listed for want of
    // permission or because it is gone is removed from the list, and so is a found folder that
    // is gone before its turn.
    void GetSubDirectories2016(QStringList &folders, bool recurse);

    // True when a yield asked the scan to stop.
    bool stopped() const { return m_stopped; }

private:
    struct FolderId {
        quint64 device;
        quint64 inode;
        friend bool operator==(const FolderId &, const FolderId &) = default;
        friend size_t qHash(const FolderId &id, size_t seed = 0)
        {
            return qHashMulti(seed, id.device, id.inode);
        }
    };

    bool yield(const QString &folder);
    bool isTooLong(const QString &folder) const;
    void leaveOut(ScanRecord::Reason reason, const QString &path, const QString &detail = {});
    void report(const QString &description, int step);
    bool isFirstVisit(const QString &folder);
    bool isFirstVisit(const FolderId &id);
    // The identity of an entry of the open folder that is a folder to list and enter; nothing
    // for anything else, a link to a folder included, and for an entry gone meanwhile.
    static std::optional<FolderId> scannedFolder(int folder, const dirent &entry,
                                                 const QString &name);

    ScanHooks m_hooks;
    ScanNames m_names;
    ScanRecord *m_leftOut;
    QSet<FolderId> m_visited;
    bool m_stopped = false;
};

} // namespace AddFolder
