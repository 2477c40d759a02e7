#pragma once

#include "core/failure.h"

#include <QString>

// Writes the failure of an event handler to standard error.
void logHandlerFailure(const char *handlerName, const QString &description) noexcept;

// Runs an event handler that has no error report of its own. No exception may cross a Qt event
// handler or slot, so a failure is written to standard error and the program goes on.
template<typename Handler> void guardHandler(const char *handlerName, Handler &&handler) noexcept
{
    try {
        handler();
    } catch (...) {
        logHandlerFailure(handlerName, describeCurrentException());
    }
}
