#include "core/eventloop.h"

#include <QCoreApplication>

void yieldToEventLoop()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
