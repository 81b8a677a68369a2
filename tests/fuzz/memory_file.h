// A read-only file object over bytes held in memory, for feeding the reader
// without touching the file system.
#pragma once

#include <cstring>
#include <string>
#include <utility>

#include "platform/syQfsFile.h"

// A read-only file object over bytes held in memory. It may claim another
// size than the bytes it holds (its end lies there, even before the start),
// or fail every seek.
class omMemoryFile : public syIQfsFile {
public:
    explicit omMemoryFile(std::string bytes) : omMemoryFile(bytes, static_cast<long long>(bytes.size())) {}
    omMemoryFile(std::string bytes, long long size, bool seek_fails = false)
        : m_bytes(std::move(bytes)), m_size(size), m_seek_fails(seek_fails) {}
    bool is_open() const override { return true; }
    int close() override { return 0; }
    int seek(long long distance, int origin) override {
        long long to = (origin == 2 ? m_size : origin == 1 ? m_pos : 0) + distance;
        if (m_seek_fails || (to < 0 && origin != 2))
            return -1;
        m_pos = to;
        return 0;
    }
    long long position() override { return m_pos; }
    std::size_t read(void* buffer, std::size_t item_size, std::size_t count) override {
        if (item_size == 0 || m_pos < 0 || m_pos >= static_cast<long long>(m_bytes.size()))
            return 0;
        std::size_t left = (m_bytes.size() - static_cast<std::size_t>(m_pos)) / item_size;
        std::size_t n = count < left ? count : left;
        std::memcpy(buffer, m_bytes.data() + m_pos, n * item_size);
        m_pos += static_cast<long long>(n * item_size);
        return n;
    }
    std::size_t write(const void*, std::size_t, std::size_t) override { return 0; }
    int rewind() override { return seek(0, 0); }

private:
    std::string m_bytes;
    long long m_size;
    bool m_seek_fails;
    long long m_pos = 0;
};
