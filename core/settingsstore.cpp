#include "core/settingsstore.h"

#include "core/failure.h"

#include <QSettings>

#include <cmath>

namespace {

const QString Organization = QStringLiteral("Velmora");
const QString Application = QStringLiteral("Velmora");
const QString Section = QStringLiteral("Quillmere");

QString keyInSection(const QString &key)
{
    return Section + QLatin1Char('/') + key;
}

QSettings::Format storeFormat(bool native)
{
    return native ? QSettings::NativeFormat : QSettings::IniFormat;
}

} // namespace

SettingsStore::SettingsStore()
    : m_filePath(QSettings(QSettings::NativeFormat, QSettings::UserScope, Organization, Application)
                         .fileName()),
      m_native(true)
{
}

SettingsStore::SettingsStore(QString filePath)
    : m_filePath(std::move(filePath)), m_native(false) { }

QString SettingsStore::ReadSetting(const QString &key, const QString &defaultValue) const
{
    QSettings settings(m_filePath, storeFormat(m_native));
    const QVariant value = settings.value(keyInSection(key));
    if (settings.status() != QSettings::NoError)
        throw Failure(QStringLiteral("Cannot read the settings file %1").arg(m_filePath));
    if (!value.isValid())
        return defaultValue;
    // A value edited by hand into "a, b" comes back as a list; Qt writes lists that way.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::WriteSetting(const QString &key, const QString &value)
{
    QSettings settings(m_filePath, storeFormat(m_native));
    settings.setValue(keyInSection(key), value);
    // A crash right after a change must not lose it.
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
    // toDouble() also takes "inf" and "nan", which are no numbers a user would store.
    if (!isNumber || !std::isfinite(number))
        throw Failure(QStringLiteral("Type mismatch"), 13);
    return number != 0;
}

QString boolToSetting(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
