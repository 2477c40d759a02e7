#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

// Bytes kept in an unnamed file in the system's temporary folder instead of in memory, for what
// an input may make the walk hold without bound. The file is made on the first append and
// vanishes with the object, or with the process however it ends. A failure to write or read it
// throws a Failure that names the temporary folder.
class SpillFile {
public:
    SpillFile() = default;
    ~SpillFile();
    SpillFile(const SpillFile &) = delete;
    SpillFile &operator=(const SpillFile &) = delete;

    // Adds the bytes at the end; returns where they start.
    std::uint64_t append(const char *data, std::size_t size);
    // Hands the size bytes from offset on to write(const char *, std::size_t), a block at a time.
    template<typename Write>
    void readBack(std::uint64_t offset, std::uint64_t size, Write &&write) const
    {
        while (size > 0) {
            const std::string_view block = read(offset, size);
            write(block.data(), block.size());
            offset += block.size();
            size -= block.size();
        }
    }
    // Drops every byte, keeping the file for the next append.
    void clear();

private:
    // Reads up to a block of the size bytes from offset on.
    std::string_view read(std::uint64_t offset, std::uint64_t size) const;

    int m_fd = -1;
    std::uint64_t m_size = 0;
    mutable std::unique_ptr<char[]> m_block;
};
