#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

// Copies size bytes; the short copies that make up most of the output stay inline instead of
// calling the library.
inline void copyBytes(char *target, const char *source, std::size_t size)
{
    if (size >= 16) {
        std::memcpy(target, source, size);
    } else if (size >= 8) {
        std::uint64_t head;
        std::uint64_t tail;
        std::memcpy(&head, source, 8);
        std::memcpy(&tail, source + size - 8, 8);
        std::memcpy(target, &head, 8);
        std::memcpy(target + size - 8, &tail, 8);
    } else if (size >= 4) {
        std::uint32_t head;
        std::uint32_t tail;
        std::memcpy(&head, source, 4);
        std::memcpy(&tail, source + size - 4, 4);
        std::memcpy(target, &head, 4);
        std::memcpy(target + size - 4, &tail, 4);
    } else if (size > 0) {
        target[0] = source[0];
        target[size / 2] = source[size / 2];
        target[size - 1] = source[size - 1];
    }
}

// A growable byte string that keeps its storage when cleared or shortened, so a walk reuses
// the same memory for every value.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer &) = delete;
    ByteBuffer &operator=(const ByteBuffer &) = delete;

    void append(const char *data, std::size_t size)
    {
        if (size > m_capacity - m_size)
            grow(size);
        copyBytes(m_data.get() + m_size, data, size);
        m_size += size;
    }
    void append(std::string_view bytes) { append(bytes.data(), bytes.size()); }
    void push_back(char byte)
    {
        if (m_size == m_capacity)
            grow(1);
        m_data[m_size++] = byte;
    }
    void clear() { m_size = 0; }
    // Keeps the first size bytes; size must not exceed the current size.
    void truncate(std::size_t size) { m_size = size; }

    bool empty() const { return m_size == 0; }
    std::size_t size() const { return m_size; }
    const char *data() const { return m_data.get(); }
    std::string_view view() const { return {m_data.get(), m_size}; }

private:
    void grow(std::size_t needed)
    {
        std::size_t capacity = m_capacity < 64 ? 64 : m_capacity * 2;
        while (capacity - m_size < needed)
            capacity *= 2;
        std::unique_ptr<char[]> data(new char[capacity]);
        if (m_size > 0)
            std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};
