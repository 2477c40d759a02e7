#pragma once

#include <QStringList>

class QMimeData;

// The local paths a drag carries, in the order of the drag source, in native form; empty when
// the drag carries no local file. An address naming this machine as its host ("localhost") is a
// local path; one naming another machine is left out. Paths that are not valid UTF-8 are left
// out, as the folder scan leaves such names out.
QStringList droppedLocalPaths(const QMimeData *data);
