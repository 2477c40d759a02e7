#include "core/settingsstore.h"

#include "core/failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <cmath>

namespace {

const QString Organization = QStringLiteral("Velmora");
const QString Application = QStringLiteral("Velmora");
const QString Section = QStringLiteral("Quillmere");

// The number a failed conversion of a stored text to a Boolean carries, as the window's design
// numbers a value of the wrong type.
constexpr int TypeMismatch = 13;

QString keyInSection(const QString &key)
{
    return Section + QLatin1Char('/') + key;
}

QString readFailureText(const QString &filePath)
{
    QFile file(filePath);
    const QString cause = file.open(QIODevice::ReadOnly) ? QStringLiteral("reading failed")
                                                         : file.errorString();
    return QStringLiteral("Cannot read the settings file %1 (input/output failure: %2)")
            .arg(filePath, cause);
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
    if (settings.status() == QSettings::AccessError)
        throw Failure(readFailureText(m_filePath));
    if (settings.status() == QSettings::FormatError)
        m_damaged = true;
    if (!value.isValid())
        return defaultValue;
    // A value edited by hand into "a, b" comes back as a list; Qt writes lists that way.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::WriteSetting(const QString &key, const QString &value)
{
    // QSettings keeps a change it could not write as pending, for every later reader of the file
    // in this process, and each of them then fails trying to write it again. So a store that
    // cannot be written is never handed the change.
    const QString blocker = writeBlocker();
    if (!blocker.isEmpty())
        return failWrite(blocker);
    QSettings settings(m_filePath, storeFormat(m_native));
    settings.setValue(keyInSection(key), value);
    // A crash right after a change must not lose it.
    settings.sync();
    // A format error comes from reading the damaged file; the write itself went through.
    if (settings.status() == QSettings::AccessError)
        return failWrite(QStringLiteral("it could not be saved"));
    if (settings.status() == QSettings::FormatError)
        m_damaged = true;
    m_reportedWriteFailure.clear();
}

void SettingsStore::check()
{
    QSettings settings(m_filePath, storeFormat(m_native));
    // QSettings parses a section when it is first asked for, and only then finds its errors.
    settings.allKeys();
    if (settings.status() == QSettings::AccessError)
        throw Failure(readFailureText(m_filePath));
    if (settings.status() == QSettings::FormatError || m_damaged) {
        throw Failure(QStringLiteral("The settings file %1 is damaged (format error); the "
                                     "settings that could be read are used")
                              .arg(m_filePath));
    }
    const QString blocker = writeBlocker();
    if (!blocker.isEmpty())
        failWrite(blocker);
}

QString SettingsStore::writeBlocker() const
{
    // The test QSettings makes before writing, done here to learn the cause.
    const QFileInfo info(m_filePath);
    if (info.exists()) {
        QFile file(m_filePath);
        return file.open(QIODevice::ReadWrite) ? QString() : file.errorString();
    }
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
    QTemporaryFile probe(m_filePath);
    return probe.open() ? QString() : probe.errorString();
}

void SettingsStore::failWrite(const QString &cause)
{
    if (cause == m_reportedWriteFailure)
        return;
    m_reportedWriteFailure = cause;
    throw Failure(QStringLiteral("Cannot write the settings file %1 (input/output failure: %2)")
                          .arg(m_filePath, cause));
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
        throw Failure(QStringLiteral("Type mismatch"), TypeMismatch);
    return number != 0;
}

QString boolToSetting(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
