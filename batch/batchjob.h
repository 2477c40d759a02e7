#pragma once

#include "core/filename.h"

// One input of a run as it was given: a file, a folder to search, or standard input.
struct BatchInput {
    FileName path;
    bool standardInput = false;

    static BatchInput file(FileName path) { return {std::move(path), false}; }
    static BatchInput fromStandardInput() { return {{}, true}; }
};

// Where the results of a run go.
struct OutputPlace {
    enum class Kind {
        BesideInput, // each result in its input's folder
        Folder, // every result in one folder
        StandardOutput, // the one result to standard output
    };
    Kind kind = Kind::BesideInput;
    FileName folder; // Kind::Folder only

    static OutputPlace besideInput() { return {}; }
    static OutputPlace inFolder(FileName folder) { return {Kind::Folder, std::move(folder)}; }
    static OutputPlace standardOutput() { return {Kind::StandardOutput, {}}; }
};

// One conversion of a run: the file it reads and the file it writes.
struct BatchJob {
    FileName input; // empty when it reads standard input
    FileName output; // empty when it writes standard output
    bool readsStandardInput = false;

    bool writesStandardOutput() const { return output.isEmpty(); }
};
