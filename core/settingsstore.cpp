#include "core/settingsstore.h"

#include "core/failure.h"
#include "core/handlerguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

const QString Organization = QStringLiteral("Velmora");
const QString Application = QStringLiteral("Velmora");
const QString Section = QStringLiteral("Quillmere");

// Typing into a text box changes a key with every keystroke, and each write of the file takes
// time in proportion to its size: after a write the file is left alone for this long at least,
// and at least this many times as long as the write took.
constexpr qint64 WritePauseMs = 250;
constexpr qint64 WritePausePerWriteTime = 4;

// The number a failed conversion of a stored text to a Boolean carries, as the window's design
// numbers a value of the wrong type.
constexpr int TypeMismatch = 13;

QString keyInSection(const QString &key)
{
    return Section + QLatin1Char('/') + key;
}

QString readFailureCause(const QString &filePath)
{
    QFile file(filePath);
    return file.open(QIODevice::ReadOnly) ? QStringLiteral("reading failed") : file.errorString();
}

QSettings::Format storeFormat(bool native)
{
    return native ? QSettings::NativeFormat : QSettings::IniFormat;
}

QString settingText(const QVariant &value)
{
    // A value edited by hand into "a, b" comes back as a list; Qt writes lists that way.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

SettingsStore::SettingsStore()
    : SettingsStore(
            QSettings(QSettings::NativeFormat, QSettings::UserScope, Organization, Application)
                    .fileName(),
            true)
{
}

SettingsStore::SettingsStore(QString filePath) : SettingsStore(std::move(filePath), false) { }

SettingsStore::SettingsStore(QString filePath, bool native)
    : m_filePath(std::move(filePath)), m_native(native), m_writeTimer(std::make_unique<QTimer>())
{
    m_writeTimer->setSingleShot(true);
    // A failure met here is told by the next change, or by flush().
    QObject::connect(m_writeTimer.get(), &QTimer::timeout, m_writeTimer.get(),
                     [this] { writePending(); });
}

SettingsStore::~SettingsStore()
{
    guardHandler("SettingsStore", [this] { flush(); });
}

void SettingsStore::load() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    QSettings settings(m_filePath, storeFormat(m_native));
    // QSettings parses a section when it is first asked for, and only then finds its errors.
    const QStringList keys = settings.allKeys();
    const QString prefix = Section + QLatin1Char('/');
    for (const QString &key : keys) {
        if (key.startsWith(prefix))
            m_values.insert(key.mid(prefix.size()), settingText(settings.value(key)));
    }
    if (settings.status() == QSettings::AccessError) {
        m_values.clear();
        m_readFailure = readFailureCause(m_filePath);
    } else if (settings.status() == QSettings::FormatError) {
        m_damaged = true;
    }
}

QString SettingsStore::ReadSetting(const QString &key, const QString &defaultValue) const
{
    load();
    tellReadFailure();
    return m_values.value(key, defaultValue);
}

void SettingsStore::WriteSetting(const QString &key, const QString &value)
{
    load();
    const auto stored = m_values.constFind(key);
    if (stored != m_values.cend() && *stored == value)
        return;
    m_values.insert(key, value);
    // What could not be read may still be in the file; writing would replace it.
    if (!m_readFailure.isEmpty())
        return tellReadFailure();
    // The first change since the file was written learns at once whether it still can be, so
    // that a failure is told where the change was made.
    if (m_pending.isEmpty())
        m_writeBlocker = writeBlocker();
    m_pending.insert(key);
    scheduleWrite();
    tellWriteFailure();
}

void SettingsStore::flush()
{
    writePending();
    tellWriteFailure();
}

void SettingsStore::check()
{
    load();
    tellReadFailure();
    if (!m_readFailure.isEmpty())
        return;
    if (m_damaged) {
        throw Failure(QStringLiteral("The settings file %1 is damaged (format error); the "
                                     "settings that could be read are used")
                              .arg(m_filePath));
    }
    m_writeBlocker = writeBlocker();
    tellWriteFailure();
}

void SettingsStore::tellReadFailure() const
{
    if (m_readFailure.isEmpty() || m_readFailureTold)
        return;
    m_readFailureTold = true;
    throw Failure(QStringLiteral("Cannot read the settings file %1 (input/output failure: %2); "
                                 "the presets are used and changes are not saved")
                          .arg(m_filePath, m_readFailure));
}

void SettingsStore::tellWriteFailure()
{
    if (m_writeBlocker.isEmpty() || m_writeBlocker == m_toldWriteBlocker)
        return;
    m_toldWriteBlocker = m_writeBlocker;
    throw Failure(QStringLiteral("Cannot write the settings file %1 (input/output failure: %2)")
                          .arg(m_filePath, m_writeBlocker));
}

void SettingsStore::scheduleWrite()
{
    if (m_writeTimer->isActive())
        return;
    const qint64 since = m_sinceWrite.isValid() ? m_sinceWrite.elapsed() : m_writePauseMs;
    m_writeTimer->start(static_cast<int>(std::max<qint64>(0, m_writePauseMs - since)));
}

void SettingsStore::writePending()
{
    if (m_pending.isEmpty() || !m_readFailure.isEmpty())
        return;
    QElapsedTimer writing;
    writing.start();
    const auto pauseAfter = qScopeGuard([&] {
        m_writePauseMs = std::max(WritePauseMs, WritePausePerWriteTime * writing.elapsed());
        m_sinceWrite.start();
    });
    // QSettings keeps a change it could not write as pending, for every later reader of the file
    // in this process, and each of them then fails trying to write it again. So a store that
    // cannot be written is never handed the change.
    m_writeBlocker = writeBlocker();
    if (!m_writeBlocker.isEmpty())
        return;
    // QSettings merges the changes into the file as it is now, keeping what other programs
    // wrote there, and replaces it by a new file made beside it.
    QSettings settings(m_filePath, storeFormat(m_native));
    for (const QString &key : std::as_const(m_pending))
        settings.setValue(keyInSection(key), m_values.value(key));
    settings.sync();
    if (settings.status() == QSettings::AccessError) {
        m_writeBlocker = QStringLiteral("it could not be saved");
        return;
    }
    m_pending.clear();
    m_toldWriteBlocker.clear();
}

QString SettingsStore::writeBlocker() const
{
    const QFileInfo info(m_filePath);
    const QString folder = info.absolutePath();
    if (info.exists()) {
        QFile file(m_filePath);
        if (!file.open(QIODevice::ReadWrite))
            return file.errorString();
    } else if (!QDir().mkpath(folder)) {
        return QStringLiteral("cannot create the folder %1").arg(folder);
    }
    // The new contents go into a new file made beside the old one, so the folder must take a
    // new file even where the file itself could be written.
    QTemporaryFile probe(m_filePath);
    if (!probe.open()) {
        return QStringLiteral("cannot create a file in the folder %1: %2")
                .arg(folder, probe.errorString());
    }
    return {};
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
