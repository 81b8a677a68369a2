#pragma once

#include "omxmlExport.h"

#include <cstddef>
#include <string>

// A byte buffer, such as a document held in memory.
class OMXML_PLATFORM_API syByteArray {
public:
    syByteArray() = default;
    syByteArray(const void* data, std::size_t count) : m_bytes(static_cast<const char*>(data), count) {}

    const char* data() const { return m_bytes.data(); }
    char* data() { return &m_bytes[0]; }
    std::size_t size() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }

    void assign(const void* data, std::size_t count) { m_bytes.assign(static_cast<const char*>(data), count); }
    void append(const void* data, std::size_t count) { m_bytes.append(static_cast<const char*>(data), count); }
    void resize(std::size_t count) { m_bytes.resize(count); }
    void clear() { m_bytes.clear(); }

    bool operator==(const syByteArray& other) const { return m_bytes == other.m_bytes; }
    bool operator!=(const syByteArray& other) const { return m_bytes != other.m_bytes; }

private:
    std::string m_bytes;
};
