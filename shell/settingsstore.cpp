#include "shell/settingsstore.h"

#include "shell/failure.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

const QString Section = QStringLiteral("Quillmere");

QString keyInSection(const QString &key)
{
    return Section + QLatin1Char('/') + key;
}

} // namespace

SettingsStore::SettingsStore()
    : m_filePath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/Velmora/Velmora.conf"))
{
}

SettingsStore::SettingsStore(QString filePath) : m_filePath(std::move(filePath)) { }

QString SettingsStore::ReadSetting(const QString &key, const QString &defaultValue) const
{
    const QSettings settings(m_filePath, QSettings::IniFormat);
    const QVariant value = settings.value(keyInSection(key));
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::WriteSetting(const QString &key, const QString &value)
{
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.setValue(keyInSection(key), value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Failure(QStringLiteral("Cannot write the settings file %1").arg(m_filePath));
}

bool settingToBool(const QString &value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    if (!isNumber)
        throw Failure(QStringLiteral("Type mismatch"), 13);
    return number != 0;
}
