#pragma once

// The cores this process may run on, as its conversions share them. A thread that converts
// files counts itself busy; a conversion gets a second core for its walk only while one is left
// over and the system has one idle, so that a batch already running on every core, or a machine
// busy with other programs, does not pay for threads that would only wait for a core.
namespace ConversionCores {

// Counts threads as converting while it lives: those of a pool are counted before any of them
// starts, and each one's count ends when it has no work left.
class Busy {
public:
    explicit Busy(int threads = 1);
    ~Busy();
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

    // One of the threads has no work left.
    void release();

private:
    int m_threads;
};

// A second core for one conversion, held while it lives; none when no core is left over or
// none is idle.
class Spare {
public:
    Spare();
    ~Spare();
    Spare(const Spare &) = delete;
    Spare &operator=(const Spare &) = delete;

    explicit operator bool() const { return m_held; }

private:
    bool m_held = false;
};

} // namespace ConversionCores
