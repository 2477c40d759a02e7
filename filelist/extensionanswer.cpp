#include "filelist/extensionanswer.h"

#include "core/pathhelpers.h"

namespace AddFolder {

QString extensionFromAnswer(const QString &answer)
{
    QString extension = answer.trimmed();
    // The scan puts "*." before the extension itself.
    if (extension.startsWith(QLatin1String("*.")))
        extension.remove(0, 2);
    else if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    if (extension.contains(Main::pathSeparator()))
        return {};
    return extension;
}

} // namespace AddFolder
