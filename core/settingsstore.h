#pragma once

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
    // Throws Failure when the store cannot be read.
    QString ReadSetting(const QString &key, const QString &defaultValue) const;

    // Stores the text under the key and writes the store at once; throws Failure when it cannot.
    void WriteSetting(const QString &key, const QString &value);

    // Where the store is kept: a file path, or on Windows a registry path.
    const QString &filePath() const { return m_filePath; }

private:
    QString m_filePath;
    bool m_native;
};

// The usual text-to-Boolean rule for stored options: "True" or "False" in any letter case, or a
// number where non-zero is true. Throws Failure for anything else.
bool settingToBool(const QString &value);

// A Boolean as it is stored: "True" or "False".
QString boolToSetting(bool value);
