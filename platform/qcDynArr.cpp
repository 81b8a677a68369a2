#include "platform/qcDynArr.h"

#include <cstdlib>
#include <new>

charqcDynArr::~charqcDynArr() { std::free(m_data); }

int charqcDynArr::expand(int n) {
    if (n <= m_capacity)
        return 1;
    if (n < 0)
        return 0;
    void* grown = std::realloc(m_data, static_cast<std::size_t>(n));
    if (!grown)
        return 0;
    m_data = static_cast<char*>(grown);
    m_capacity = n;
    return 1;
}

int charqcDynArr::resize(int n) {
    if (n < 0 || !expand(n))
        return 0;
    m_count = n;
    return 1;
}

char& charqcDynArr::operator[](int i) {
    if (i >= m_count) {
        if (i >= m_capacity) {
            int want = m_capacity * 2 > i + 1 ? m_capacity * 2 : i + 1;
            if (!expand(want))
                throw std::bad_alloc();
        }
        m_count = i + 1;
    }
    return m_data[i];
}

void charqcDynArr::clear() {
    std::free(m_data);
    m_data = nullptr;
    m_count = m_capacity = 0;
}

kuAnyqcPageArrINTERNALqcDynArr::kuAnyqcPageArrINTERNALqcDynArr(int capacity, int growth)
    : m_growth(growth > 0 ? growth : 1) {
    m_items.reserve(static_cast<std::size_t>(capacity > 0 ? capacity : 0));
}

int kuAnyqcPageArrINTERNALqcDynArr::reserve(int n) {
    if (n < 0)
        return 0;
    std::size_t want = static_cast<std::size_t>(n);
    if (want > m_items.capacity()) {
        std::size_t step = m_items.capacity() + static_cast<std::size_t>(m_growth);
        try {
            m_items.reserve(want > step ? want : step);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    return 1;
}

void kuAnyqcPageArrINTERNALqcDynArr::clear(int free_storage) {
    m_items.clear();
    if (free_storage)
        m_items.shrink_to_fit();
}

void*& kuAnyqcPageArrINTERNALqcDynArr::operator[](int i) {
    if (i >= size()) {
        if (!reserve(i + 1))
            throw std::bad_alloc();
        m_items.resize(static_cast<std::size_t>(i) + 1, nullptr);
    }
    return m_items[static_cast<std::size_t>(i)];
}
