#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Creates the files named relative to the root, making folders as needed, each holding the
// content; a path ending in "/" makes an empty folder instead. A failure fails the test.
void makeTree(const QString &root, const QStringList &paths, const QByteArray &content = {});

// Makes an existing file readable but not writable, also for root (through the immutable flag,
// where the file system has one); false when that cannot be done here. A folder stays open to
// its files but takes no new ones. setWritable() undoes it.
bool setUnwritable(const QString &path);
void setWritable(const QString &path);
