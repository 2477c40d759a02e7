#include "support/windowfixture.h"

#include <QTest>

WindowFixture::WindowFixture()
    : settings(configFolder.filePath(QStringLiteral("Velmora/Velmora.conf"))), window(settings)
{
    window.installDialogs(dialogs);
}

void WindowFixture::failMissing(const char *name)
{
    QTest::qFail(qPrintable(QStringLiteral("No control named %1").arg(QLatin1String(name))),
                 __FILE__, __LINE__);
}
