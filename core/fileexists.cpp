#include "core/fileexists.h"

#include <QDateTime>
#include <QFileInfo>

namespace Main {

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}

} // namespace Main
