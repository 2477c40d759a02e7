#pragma once

#include <QStringList>

class QMimeData;

// The local paths a drag carries, in the order of the drag source, in native form; empty when
// the drag carries no local file. Paths that are not valid UTF-8 are left out, as the folder
// scan leaves such names out.
QStringList droppedLocalPaths(const QMimeData *data);
