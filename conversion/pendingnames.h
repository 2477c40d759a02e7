#pragma once

#include <QByteArray>

#include <mutex>

// The names of unfinished output files, and the steps that must not be cut short, so that a
// signal ending the program removes the one and waits for the other. Every change to a named
// temporary file and every in-place rewrite of a target happens while holding lock().
namespace PendingNames {

std::unique_lock<std::mutex> lock();
// Call with lock() held.
void add(const QByteArray &name);
void remove(const QByteArray &name);

// Waits for the step under way, removes every pending name and ends the process with status,
// without returning; later steps never start.
[[noreturn]] void removeAllAndExit(int status);

} // namespace PendingNames
