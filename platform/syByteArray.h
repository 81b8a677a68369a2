#pragma once

/// @file
/// The byte buffer syByteArray.

#include "omxmlExport.h"

#include <cstddef>
#include <string>

/// A byte buffer, such as a document held in memory.
class OMXML_PLATFORM_API syByteArray {
public:
    /// An empty buffer.
    syByteArray() = default;
    /// A copy of the count bytes at data.
    syByteArray(const void* data, std::size_t count) : m_bytes(static_cast<const char*>(data), count) {}

    /// The bytes.
    const char* data() const { return m_bytes.data(); }
    /// The bytes, to be changed in place.
    char* data() { return &m_bytes[0]; }
    /// The number of bytes.
    std::size_t size() const { return m_bytes.size(); }
    /// True when there is no byte.
    bool empty() const { return m_bytes.empty(); }

    /// Replaces the bytes by a copy of the count bytes at data.
    void assign(const void* data, std::size_t count) { m_bytes.assign(static_cast<const char*>(data), count); }
    /// Appends a copy of the count bytes at data.
    void append(const void* data, std::size_t count) { m_bytes.append(static_cast<const char*>(data), count); }
    /// count bytes: new ones are zero.
    void resize(std::size_t count) { m_bytes.resize(count); }
    /// Removes every byte.
    void clear() { m_bytes.clear(); }

    /// True when both hold the same bytes.
    bool operator==(const syByteArray& other) const { return m_bytes == other.m_bytes; }
    /// The opposite of operator==.
    bool operator!=(const syByteArray& other) const { return m_bytes != other.m_bytes; }

private:
    std::string m_bytes;
};
