#pragma once

#include <QString>

// The user's choices as named texts in the per-user settings file (organization and application
// "Velmora", section "Quillmere"). The only code that touches QSettings.
class SettingsStore {
public:
    // The store in the platform's per-user location.
    SettingsStore();
    // The store kept in the given file, for tests.
    explicit SettingsStore(QString filePath);

    // The stored text of the key, also when it is empty; the default only for a missing key.
    QString ReadSetting(const QString &key, const QString &defaultValue) const;

    // Stores the text under the key and writes the file at once; throws Failure when it cannot.
    void WriteSetting(const QString &key, const QString &value);

    const QString &filePath() const { return m_filePath; }

private:
    QString m_filePath;
};

// The usual text-to-Boolean rule for stored options: "True" or "False" in any letter case, or a
// number where non-zero is true. Throws Failure for anything else.
bool settingToBool(const QString &value);
