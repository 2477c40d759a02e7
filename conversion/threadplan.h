#pragma once

// How a conversion uses threads: the parser reads on the calling thread, and the walk that
// makes and writes the lines runs either there too or on a thread of its own.
enum class ThreadPlan {
    Automatic, // a thread of its own for a large file, when a core is left over
    OneThread,
    TwoThreads, // a thread of its own whatever the input, unless the system gives none
};
