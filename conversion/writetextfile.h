#pragma once

#include <QString>

// Writes text to the file at path as UTF-8 without a byte-order mark, replacing any earlier
// file only once the whole text is written. Throws Failure with a description on any failure.
void WriteTextFile(const QString &text, const QString &path);
