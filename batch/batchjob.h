#pragma once

#include "batch/jobstatus.h"
#include "core/filename.h"

#include <memory>

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
    // Kind::Folder only: each result goes into the folder that mirrors its input's folder
    // below the named folder it was found in, so same-named files of different folders are
    // kept apart.
    bool mirrorFolders = false;

    static OutputPlace besideInput() { return {}; }
    static OutputPlace inFolder(FileName folder, bool mirrorFolders = false)
    {
        return {Kind::Folder, std::move(folder), mirrorFolders};
    }
    static OutputPlace standardOutput() { return {Kind::StandardOutput, {}}; }
};

// One conversion of a run: the file it reads and the file it writes.
struct BatchJob {
    FileName input; // empty when it reads standard input
    FileName output; // empty when it writes standard output
    bool readsStandardInput = false;
    // Set when the plan decided the job's outcome: the run gives this status and never opens
    // the job's files. Shared, as most jobs of a large run have none.
    std::shared_ptr<const JobStatus> planned;
    // When set (mirrored folders), the output folder of the run, ending in a separator: the
    // run makes the folders between it and the output as needed.
    FileName outputRoot;

    bool writesStandardOutput() const { return output.isEmpty(); }
};
