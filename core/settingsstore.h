#pragma once

#include "core/settingkeys.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>

#include <memory>

class QTimer;

// The user's choices as named texts in the per-user settings store (organization and
// application "Velmora", section "Quillmere"). The only code that touches QSettings.
//
// The file is read once, at the first use, and its section kept in memory: a change is there
// the moment it is made, for every later read, and reaches the file soon after: at most four
// times a second, and less often when a write of the file takes longer than 50 ms, so that
// writing takes at most a fifth of the time. flush() and the destructor write it at once.
class SettingsStore {
public:
    // The store in the platform's per-user location, where QSettings("Velmora", "Velmora")
    // keeps it (on Linux the file Velmora/Velmora.conf in the user's configuration folder).
    SettingsStore();
    // The store kept in the given INI file, for tests.
    explicit SettingsStore(QString filePath);
    // Writes the changes the file does not hold yet; a failure goes to standard error.
    ~SettingsStore();

    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // The stored text of the key, also when it is empty; the default only for a missing key.
    // A damaged file still gives every entry that could be read. When the file cannot be read
    // at all, throws Failure the first time that is met (check() included), then gives defaults.
    QString ReadSetting(const QString &key, const QString &defaultValue) const;

    // The stored text of one of the program's keys, or what a missing key reads as.
    QString read(const SettingKey &key) const { return ReadSetting(key.name, key.missing); }

    // Keeps the text under the key and has the file written soon. Throws Failure when the file
    // cannot be written, once for each cause: while the same cause lasts, later changes are kept
    // in memory silently. A file that could not be read is never written over.
    void WriteSetting(const QString &key, const QString &value);
    void write(const SettingKey &key, const QString &value) { WriteSetting(key.name, value); }

    // Writes the changes the file does not hold yet, now. Throws Failure as WriteSetting().
    void flush();

    // Throws Failure saying what is wrong with the store, if anything: an input/output failure
    // (it cannot be read, or it cannot be written, which then counts as told for the writes) or
    // a format error (it is damaged; what could be read is used).
    void check();

    // Where the store is kept: a file path, or on Windows a registry path.
    const QString &filePath() const { return m_filePath; }

private:
    SettingsStore(QString filePath, bool native);
    void load() const;
    void tellReadFailure() const;
    void tellWriteFailure();
    // Writes the pending changes, or learns why they cannot be written.
    void writePending();
    void scheduleWrite();
    // Why the file cannot be written now, or empty text when it can.
    QString writeBlocker() const;

    QString m_filePath;
    bool m_native;
    mutable bool m_loaded = false;
    mutable QHash<QString, QString> m_values;
    // Why the file could not be read (empty when it could), and whether that was told.
    mutable QString m_readFailure;
    mutable bool m_readFailureTold = false;
    mutable bool m_damaged = false;
    QSet<QString> m_pending;
    // Why the file cannot be written, as last found, and the cause told last.
    QString m_writeBlocker;
    QString m_toldWriteBlocker;
    std::unique_ptr<QTimer> m_writeTimer;
    // Since the last write ended, and how long the file is left alone after it.
    QElapsedTimer m_sinceWrite;
    qint64 m_writePauseMs = 0;
};

// The usual text-to-Boolean rule for stored options: "True" or "False" in any letter case, or a
// number where non-zero is true. Throws Failure for anything else.
bool settingToBool(const QString &value);

// A Boolean as it is stored: "True" or "False".
QString boolToSetting(bool value);
