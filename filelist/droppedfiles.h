#pragma once

#include <QStringList>

class QMimeData;

// The local paths a drag carries, in the order of the drag source, in native form; empty when
// the drag carries no local file.
QStringList droppedLocalPaths(const QMimeData *data);
