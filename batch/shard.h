#pragma once

#include <QString>

#include <optional>

// One of several parts of a job list, numbered from 1: "--shard 3/8" is index 3 of count 8.
struct Shard {
    int index = 1;
    int count = 1;
};

// Reads "K/N" with 1 <= K <= N; nothing when the text is anything else.
std::optional<Shard> parseShard(const QString &text);

// The part (1 to count) an output file belongs to. It depends only on the output's identity
// (see outputIdentity()), and the same on every machine and every run, so inputs that write
// one file always land in one part.
int shardOf(const QString &outputIdentity, int count);
