#include "support/storedsettings.h"

#include <QFile>
#include <QSettings>

QStringList storedKeys(const QString &settingsFile)
{
    QFile file(settingsFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList keys;
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inSection = line == QLatin1String("[Quillmere]");
        else if (inSection && line.contains(QLatin1Char('=')))
            keys.append(line.left(line.indexOf(QLatin1Char('='))));
    }
    return keys;
}

QString storedValue(const QString &settingsFile, const QString &key)
{
    // A fresh reader of the file, apart from the program's store, undoes the file's escapes.
    const QSettings settings(settingsFile, QSettings::IniFormat);
    return settings.value(QStringLiteral("Quillmere/") + key).toString();
}
