#pragma once

#include "core/filename.h"

#include <QList>

class QMimeData;

// The local files a drag carries, in the order of the drag source, each name with the bytes its
// address spells; empty when the drag carries no local file.
QList<FileName> droppedLocalPaths(const QMimeData *data);
