#include "shell/eventloop.h"

#include <QCoreApplication>

void yieldToEventLoop()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
