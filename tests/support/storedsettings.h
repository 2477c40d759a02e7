#pragma once

#include <QString>
#include <QStringList>

// The settings file as it lies on disk, read back for checks: the keys of the section
// "Quillmere" in the order they stand in the file, and a key's value.
QStringList storedKeys(const QString &settingsFile);
QString storedValue(const QString &settingsFile, const QString &key);
