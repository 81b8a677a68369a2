#pragma once

/// @file
/// Growable arrays of characters and of untyped pointers.

#include "omxmlExport.h"

#include <cstddef>
#include <vector>

/// Growable character array. Storage is left uninitialised when it grows, so
/// a buffer about to be filled by a read is not cleared first.
class OMXML_PLATFORM_API charqcDynArr {
public:
    /// An empty array without storage.
    charqcDynArr() = default;
    /// Not copied.
    charqcDynArr(const charqcDynArr&) = delete;
    /// Not copied.
    charqcDynArr& operator=(const charqcDynArr&) = delete;
    /// Frees the storage.
    ~charqcDynArr();

    /// Room for at least n characters; the count is unchanged. 1, or 0 when
    /// the memory cannot be had.
    int expand(int n);
    /// Room for n characters and a count of n. 1 or 0.
    int resize(int n);
    /// Grows the count to i + 1 when i is at or beyond it.
    char& operator[](int i);

    /// The number of characters counted.
    int count() const { return m_count; }
    /// The storage, or null before any.
    char* data() { return m_data; }
    /// The storage, or null before any.
    const char* data() const { return m_data; }
    /// Frees the storage.
    void clear();

private:
    char* m_data = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

/// Growable array of untyped pointers, built from an initial capacity and a
/// growth step. New slots hold null.
class OMXML_PLATFORM_API kuAnyqcPageArrINTERNALqcDynArr {
public:
    /// An empty array with room for capacity pointers, growing by growth.
    kuAnyqcPageArrINTERNALqcDynArr(int capacity, int growth);

    /// Room for n pointers. 1 or 0.
    int reserve(int n);
    /// Size n; new slots hold null.
    void resize(int n) { m_items.resize(static_cast<std::size_t>(n), nullptr); }
    /// Size n when n is below the size.
    void shrink(int n) {
        if (n < size())
            m_items.resize(static_cast<std::size_t>(n));
    }
    /// 0 drops the count only; otherwise the storage is given back too.
    void clear(int free_storage);
    /// Grows the count to i + 1 when i is at or beyond it.
    void*& operator[](int i);
    /// Slot i, which must exist.
    void* operator[](int i) const { return m_items[static_cast<std::size_t>(i)]; }
    /// The number of slots.
    int size() const { return static_cast<int>(m_items.size()); }
    /// The growth step.
    int growth() const { return m_growth; }

private:
    std::vector<void*> m_items;
    int m_growth;
};
