// A read-only file object over bytes held in memory, for feeding the reader
// without touching the file system.
#pragma once

#include <cstring>
#include <string>
#include <utility>

#include "platform/syQfsFile.h"

// A read-only file object over bytes held in memory.
class omMemoryFile : public syIQfsFile {
public:
    explicit omMemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}
    bool is_open() const override { return true; }
    int close() override { return 0; }
    int seek(long long distance, int origin) override {
        long long base = origin == 2 ? static_cast<long long>(m_bytes.size()) : origin == 1 ? m_pos : 0;
        long long to = base + distance;
        if (to < 0)
            return -1;
        m_pos = to;
        return 0;
    }
    long long position() override { return m_pos; }
    std::size_t read(void* buffer, std::size_t item_size, std::size_t count) override {
        if (item_size == 0 || m_pos >= static_cast<long long>(m_bytes.size()))
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
    long long m_pos = 0;
};
