#pragma once

#include "omxmlExport.h"

#include <cstddef>
#include <vector>

// Growable character array. Storage is left uninitialised when it grows, so
// a buffer about to be filled by a read is not cleared first.
class OMXML_PLATFORM_API charqcDynArr {
public:
    charqcDynArr() = default;
    charqcDynArr(const charqcDynArr&) = delete;
    charqcDynArr& operator=(const charqcDynArr&) = delete;
    ~charqcDynArr();

    // Room for at least n characters; the count is unchanged. 1, or 0 when
    // the memory cannot be had.
    int expand(int n);
    // Room for n characters and a count of n. 1 or 0.
    int resize(int n);
    // Grows the count to i + 1 when i is at or beyond it.
    char& operator[](int i);

    int count() const { return m_count; }
    char* data() { return m_data; }
    const char* data() const { return m_data; }
    // Frees the storage.
    void clear();

private:
    char* m_data = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

// Growable array of untyped pointers, built from an initial capacity and a
// growth step. New slots hold null.
class OMXML_PLATFORM_API kuAnyqcPageArrINTERNALqcDynArr {
public:
    kuAnyqcPageArrINTERNALqcDynArr(int capacity, int growth);

    // Room for n pointers. 1 or 0.
    int reserve(int n);
    void resize(int n) { m_items.resize(static_cast<std::size_t>(n), nullptr); }
    void shrink(int n) {
        if (n < size())
            m_items.resize(static_cast<std::size_t>(n));
    }
    // 0 drops the count only; otherwise the storage is given back too.
    void clear(int free_storage);
    // Grows the count to i + 1 when i is at or beyond it.
    void*& operator[](int i);
    void* operator[](int i) const { return m_items[static_cast<std::size_t>(i)]; }
    int size() const { return static_cast<int>(m_items.size()); }
    int growth() const { return m_growth; }

private:
    std::vector<void*> m_items;
    int m_growth;
};
