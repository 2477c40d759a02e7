#include "support/windowfixture.h"

#include "core/failure.h"
#include "support/storedsettings.h"

#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

WindowFixture::WindowFixture()
    : settings(configFolder.filePath(QStringLiteral("Velmora/Velmora.conf"))), window(settings)
{
    // Nothing the window does may reach the real home folder.
    QStandardPaths::setTestModeEnabled(true);
    window.installDialogs(dialogs);
}

QStringList WindowFixture::storedKeys()
{
    flushSettings();
    return ::storedKeys(settingsFile());
}

QString WindowFixture::storedValue(const QString &key)
{
    flushSettings();
    return ::storedValue(settingsFile(), key);
}

void WindowFixture::flushSettings()
{
    // What cannot be written stays off the file; the store tells that to the window.
    try {
        settings.flush();
    } catch (const Failure &) {
    }
}

void WindowFixture::failMissing(const char *name)
{
    QTest::qFail(qPrintable(QStringLiteral("No control named %1").arg(QLatin1String(name))),
                 __FILE__, __LINE__);
}

void clearGroupOf(QRadioButton *option)
{
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}
