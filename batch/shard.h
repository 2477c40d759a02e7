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

// The part (1 to count) of a job with the part key (see BatchPlan): the same on every machine
// and every run, so a job lands in one part wherever the part runs.
int shardOf(const QString &partKey, int count);
