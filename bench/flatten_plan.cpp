// Converts one file to standard output on the plan asked for, whatever the machine's load and
// cores: the walk on the parser's thread (one) or on a thread of its own (two). The benchmark
// counts each thread's instructions with callgrind, which other work on the machine leaves
// alone, to tell what the two-thread plan gives where a second core is free.
//
//     flatten_plan one|two FILE

#include "conversion/flatten.h"

#include <QFile>

#include <cstdio>
#include <cstring>

#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc != 3 || (std::strcmp(argv[1], "one") != 0 && std::strcmp(argv[1], "two") != 0)) {
        std::fputs("usage: flatten_plan one|two FILE\n", stderr);
        return 2;
    }
    QFile input(QFile::decodeName(argv[2]));
    QFile output;
    if (!input.open(QIODevice::ReadOnly) || !output.open(STDOUT_FILENO, QIODevice::WriteOnly)) {
        std::fprintf(stderr, "flatten_plan: cannot open %s\n", argv[2]);
        return 1;
    }
    const ThreadPlan plan
            = std::strcmp(argv[1], "two") == 0 ? ThreadPlan::TwoThreads : ThreadPlan::OneThread;
    const ConversionResult result = ConvertToCSV(input, &output, CsvFormat(), nullptr, plan);
    if (!result.converted()) {
        std::fprintf(stderr, "flatten_plan: %s\n", qPrintable(result.reason));
        return 1;
    }
    return 0;
}
