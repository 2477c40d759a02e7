#pragma once

#include "core/filename.h"

#include <QList>
#include <QString>

// How a folder scan takes the names it reads.
enum class ScanNames {
    // Only names with a faithful text form, and no folder whose name holds a control
    // character: the rows of the window's list.
    TextOnly,
    // Every name by its bytes, whatever they are.
    KeepBytes,
};

// What a folder scan left out, and why: entries that are there but that it did not take.
struct ScanRecord {
    enum class Reason {
        NotUtf8, // a name whose bytes are not UTF-8 (ScanNames::TextOnly)
        ControlCharacters, // a folder whose name holds a control character (ScanNames::TextOnly)
        TooLong, // a path at or over the system's length limit
        NotListed, // a folder that could not be listed; detail holds the system's reason
    };
    struct Entry {
        Reason reason;
        FileName path;
        QString detail;
    };

    QList<Entry> entries;

    void add(Reason reason, FileName path, QString detail = {});
    bool isEmpty() const { return entries.isEmpty(); }
    // True when an entry names the path.
    bool contains(const FileName &path) const;
    // For a person: how many entries were left out, then a line per reason with its count;
    // lines are separated by CR.
    QString summary() const;
};
