#pragma once

#include "core/settingkeys.h"

#include <QString>

// The user's choices as named texts in the per-user settings store (organization and
// application "Velmora", section "Quillmere"). The only code that touches QSettings.
class SettingsStore {
public:
    // The store in the platform's per-user location, where QSettings("Velmora", "Velmora")
    // keeps it (on Linux the file Velmora/Velmora.conf in the user's configuration folder).
    SettingsStore();
    // The store kept in the given INI file, for tests.
    explicit SettingsStore(QString filePath);

    // The stored text of the key, also when it is empty; the default only for a missing key.
    // A damaged file still gives every entry that could be read. Throws Failure when the store
    // cannot be read at all.
    QString ReadSetting(const QString &key, const QString &defaultValue) const;

    // The stored text of one of the program's keys, or what a missing key reads as.
    QString read(const SettingKey &key) const { return ReadSetting(key.name, key.missing); }

    // Stores the text under the key and writes the store at once. Throws Failure when it cannot,
    // once for each cause: while the same cause lasts, later writes fail silently. A failed
    // write leaves the store readable, with its earlier contents.
    void WriteSetting(const QString &key, const QString &value);
    void write(const SettingKey &key, const QString &value) { WriteSetting(key.name, value); }

    // Throws Failure saying what is wrong with the store, if anything: an input/output failure
    // (it cannot be read, or it cannot be written, which then counts as told for the writes) or
    // a format error (it is damaged; what could be read is used).
    void check();

    // Where the store is kept: a file path, or on Windows a registry path.
    const QString &filePath() const { return m_filePath; }

private:
    // Why the store cannot be written now, or empty text when it can.
    QString writeBlocker() const;
    void failWrite(const QString &cause);

    QString m_filePath;
    bool m_native;
    // Seen by any read: QSettings reports a damaged file only to the first reader.
    mutable bool m_damaged = false;
    QString m_reportedWriteFailure;
};

// The usual text-to-Boolean rule for stored options: "True" or "False" in any letter case, or a
// number where non-zero is true. Throws Failure for anything else.
bool settingToBool(const QString &value);

// A Boolean as it is stored: "True" or "False".
QString boolToSetting(bool value);
