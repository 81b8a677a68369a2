#pragma once

#include "omxmlExport.h"

#include <deque>

#include "platform/kuString.h"

// Paged array of kuString: elements never move once stored.
class OMXML_PLATFORM_API kuStringqcPageArr {
public:
    void append(const kuString& s) { m_items.push_back(s); }
    // Grows the size to i + 1 when i is at or beyond it.
    kuString& operator[](int i);
    const kuString& operator[](int i) const { return m_items[static_cast<std::size_t>(i)]; }
    int size() const { return static_cast<int>(m_items.size()); }
    void clear() { m_items.clear(); }

private:
    std::deque<kuString> m_items;
};
