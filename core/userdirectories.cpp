#include "core/userdirectories.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace {

QString configHome()
{
    const QString configured = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    return configured.isEmpty() ? QDir::homePath() + QLatin1String("/.config") : configured;
}

} // namespace

QString xdgUserDirectory(const QString &name, const QString &fallback)
{
    QFile file(configHome() + QLatin1String("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly))
        return fallback;
    const QByteArray key = "XDG_" + name.toLatin1() + "_DIR=";
    std::optional<QString> found;
    // The file is shell syntax written by xdg-user-dirs-update; the last entry of a name counts.
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.startsWith(key))
            continue;
        QString value = QFile::decodeName(line.mid(key.size()));
        if (value.size() > 2 && value.startsWith(QLatin1Char('"'))
            && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        if (value.startsWith(QLatin1String("$HOME")))
            value = QDir::homePath() + value.mid(5);
        if (value.size() > 1 && value.endsWith(QLatin1Char('/')))
            value.chop(1);
        found = value;
    }
    return found.value_or(fallback);
}
