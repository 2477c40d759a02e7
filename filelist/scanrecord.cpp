#include "filelist/scanrecord.h"

#include <QStringList>

#include <algorithm>

void ScanRecord::add(Reason reason, FileName path, QString detail)
{
    entries.append({reason, std::move(path), std::move(detail)});
}

bool ScanRecord::contains(const FileName &path) const
{
    return std::any_of(entries.cbegin(), entries.cend(),
                       [&path](const Entry &entry) { return entry.path == path; });
}

QString ScanRecord::summary() const
{
    QStringList lines{
            entries.size() == 1
                    ? QStringLiteral("1 file or folder was not added:")
                    : QStringLiteral("%1 files or folders were not added:").arg(entries.size())};
    const auto addLine = [&](Reason reason, const char *one, const char *many) {
        const qsizetype n = std::count_if(entries.cbegin(), entries.cend(),
                                          [reason](const Entry &e) { return e.reason == reason; });
        if (n > 0)
            lines.append(QString::number(n) + u' ' + QLatin1StringView(n == 1 ? one : many));
    };
    addLine(Reason::NotUtf8, "name that is not valid UTF-8", "names that are not valid UTF-8");
    addLine(Reason::ControlCharacters, "folder whose name holds a control character",
            "folders whose names hold a control character");
    addLine(Reason::TooLong, "path over the length limit", "paths over the length limit");
    addLine(Reason::NotListed, "folder that could not be read", "folders that could not be read");
    return lines.join(u'\r');
}
