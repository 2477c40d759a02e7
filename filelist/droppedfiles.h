#pragma once

#include "core/filename.h"

#include <QList>

class QMimeData;

// The local files a drag carries, in the order of the drag source, each name with the bytes its
// address spells; empty when the drag carries no local file. An address naming this machine as
// its host ("localhost") is a local file; one naming another machine is left out.
QList<FileName> droppedLocalPaths(const QMimeData *data);
