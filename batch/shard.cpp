#include "batch/shard.h"

#include "core/nativename.h"

#include <QRegularExpression>

std::optional<Shard> parseShard(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9})/([0-9]{1,9})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const Shard shard{match.captured(1).toInt(), match.captured(2).toInt()};
    if (shard.count < 1 || shard.index < 1 || shard.index > shard.count)
        return std::nullopt;
    return shard;
}

int shardOf(const QString &partKey, int count)
{
    // FNV-1a: unlike qHash it has no per-process seed, so every node of a cluster agrees. Over
    // the name's own bytes, so that names differing only in stray bytes differ here too.
    quint64 hash = 14695981039346656037ULL;
    for (const char byte : encodeNativeName(partKey)) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return static_cast<int>(hash % static_cast<quint64>(count)) + 1;
}
