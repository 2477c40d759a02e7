#include "core/handlerguard.h"

#include <cstdio>

void logHandlerFailure(const char *handlerName, const QString &description) noexcept
{
    std::fprintf(stderr, "quillmere: %s failed: %s\n", handlerName,
                 description.toLocal8Bit().constData());
}
