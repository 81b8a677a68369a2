#pragma once

/// @file
/// Paged array of kuString.

#include "omxmlExport.h"

#include <deque>

#include "platform/kuString.h"

/// Paged array of kuString: elements never move once stored.
class OMXML_PLATFORM_API kuStringqcPageArr {
public:
    /// Adds s at the end.
    void append(const kuString& s) { m_items.push_back(s); }
    /// Grows the size to i + 1 when i is at or beyond it.
    kuString& operator[](int i);
    /// Element i, which must exist.
    const kuString& operator[](int i) const { return m_items[static_cast<std::size_t>(i)]; }
    /// The number of elements.
    int size() const { return static_cast<int>(m_items.size()); }
    /// Removes every element.
    void clear() { m_items.clear(); }

private:
    std::deque<kuString> m_items;
};
