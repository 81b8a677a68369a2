#include "reader/omPositionXqcPageArr.h"

#include <memory>
#include <new>

// ---- element ---------------------------------------------------------------

omPositionXqcPageArrPrgqcPrg::omPositionXqcPageArrPrgqcPrg(const omPositionXqcPageArrPrgqcPrg& source)
    : m_position(source.m_position) {
    source.m_position = nullptr;
}

omPositionXqcPageArrPrgqcPrg& omPositionXqcPageArrPrgqcPrg::operator=(const omPositionXqcPageArrPrgqcPrg& source) {
    if (this != &source) {
        delete m_position;
        m_position = source.m_position;
        source.m_position = nullptr;
    }
    return *this;
}

// ---- array -----------------------------------------------------------------

omPositionXqcPageArrPrgqcPrgqcPageArr::omPositionXqcPageArrPrgqcPrgqcPageArr()
    : omPositionXqcPageArrPrgqcPrgqcPageArr(8, 5, 10) {}

omPositionXqcPageArrPrgqcPrgqcPageArr::omPositionXqcPageArrPrgqcPrgqcPageArr(int shift, int table_capacity,
                                                                             int table_growth)
    : m_block_size(1 << shift), m_shift(shift), m_table(table_capacity, table_growth) {}

omPositionXqcPageArrPrgqcPrgqcPageArr::omPositionXqcPageArrPrgqcPrgqcPageArr(std::initializer_list<Element> elements)
    : omPositionXqcPageArrPrgqcPrgqcPageArr() {
    reserve(static_cast<int>(elements.size()));
    for (const Element& e : elements)
        append(e);
}

omPositionXqcPageArrPrgqcPrgqcPageArr::omPositionXqcPageArrPrgqcPrgqcPageArr(
    kuCopy, const omPositionXqcPageArrPrgqcPrgqcPageArr& source)
    : omPositionXqcPageArrPrgqcPrgqcPageArr(source.m_shift, source.m_blocks, 10) {
    copy(source, source.size(), 0, 0);
}

omPositionXqcPageArrPrgqcPrgqcPageArr::~omPositionXqcPageArrPrgqcPrgqcPageArr() { destroy_blocks_from(0); }

void omPositionXqcPageArrPrgqcPrgqcPageArr::set_paging(int shift) {
    m_shift = shift;
    m_block_size = 1 << shift;
    m_current_block_index = -1;
    m_current_block = nullptr;
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::destroy_blocks_from(int b) {
    for (int i = m_blocks - 1; i >= b; --i) {
        delete[] block(i);
        m_table[i] = nullptr;
    }
    if (b < m_blocks)
        m_blocks = b;
    if (m_current_block_index >= b) {
        m_current_block_index = -1;
        m_current_block = nullptr;
    }
}

int omPositionXqcPageArrPrgqcPrgqcPageArr::get_block(int b) {
    if (b < m_blocks) {
        switch_block(b);
        return 1;
    }
    if (!m_table.reserve(b + 1))
        return 0;
    while (m_blocks <= b) {
        Element* fresh = new (std::nothrow) Element[static_cast<std::size_t>(m_block_size)];
        if (!fresh)
            return 0;
        m_table[m_blocks] = fresh;
        ++m_blocks;
    }
    switch_block(b);
    return 1;
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::switch_block(int b) {
    m_current_block_index = b;
    m_current_block = block(b);
}

// A block that cannot be made leaves no slot to return: that is the
// allocation failure of the platform, not a slot past the blocks.
omPositionXqcPageArrPrgqcPrg& omPositionXqcPageArrPrgqcPrgqcPageArr::operator[](int i) {
    if (i >= m_size) {
        if (!get_block(i >> m_shift))
            throw std::bad_alloc();
        m_size = i + 1;
    }
    return block(i >> m_shift)[i & (m_block_size - 1)];
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::enter(int i, const Element& e) {
    block(i >> m_shift)[i & (m_block_size - 1)] = e;
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::append(const Element& e) {
    if (!get_block(m_size >> m_shift))
        throw std::bad_alloc();
    m_current_block[m_size & (m_block_size - 1)] = e;
    ++m_size;
}

int omPositionXqcPageArrPrgqcPrgqcPageArr::reserve(int n) { return n <= 0 ? 1 : get_block((n - 1) >> m_shift); }

int omPositionXqcPageArrPrgqcPrgqcPageArr::expand(int n) {
    if (!reserve(n))
        return 0;
    if (n > m_size)
        m_size = n;
    return 1;
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::shrink(int n, int free_blocks) {
    if (free_blocks) {
        int keep = (n - 1 + m_block_size) >> m_shift;
        if (keep < m_blocks) {
            destroy_blocks_from(keep);
            m_table.shrink(keep);
        }
    }
    if (n < m_size)
        m_size = n;
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::clear(int free_blocks) {
    if (free_blocks) {
        destroy_blocks_from(0);
        m_table.clear(free_blocks);
    }
    m_size = 0;
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::copy(const omPositionXqcPageArrPrgqcPrgqcPageArr& src, int n, int to,
                                                 int from) {
    int count = src.size() - from < n ? src.size() - from : n;
    if (count <= 0)
        return;
    if (&src == this && from < to && to < from + count) {
        for (int i = count - 1; i >= 0; --i)
            (*this)[to + i] = src.read(from + i);
    } else {
        for (int i = 0; i < count; ++i)
            (*this)[to + i] = src.read(from + i);
    }
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::copyin(const Element* src, int n, int to, int from) {
    if (n <= 0)
        return;
    if (!expand(to + n))
        throw std::bad_alloc();
    for (int i = 0; i < n; ++i)
        enter(to + i, src[from + i]);
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::copyout(Element* dst, int n, int from, int to) {
    for (int i = 0; i < n; ++i)
        dst[to + i] = read(from + i);
}

omPositionXqcPageArrPrgqcPrgqcPageArr&
omPositionXqcPageArrPrgqcPrgqcPageArr::become(kuCopy, const omPositionXqcPageArrPrgqcPrgqcPageArr& source) {
    if (&source == this)
        return *this;
    clear(1);
    m_table.reserve(source.m_blocks);
    set_paging(source.m_shift);
    copy(source, source.size(), 0, 0);
    return *this;
}

void omPositionXqcPageArrPrgqcPrgqcPageArr::reverse() {
    for (int i = 0, j = m_size - 1; i < j; ++i, --j) {
        Element held(read(i));
        enter(i, read(j));
        enter(j, held);
    }
}

int omPositionXqcPageArrPrgqcPrgqcPageArr::repaginate() {
    if (m_size >= m_block_size)
        return 0;
    if (m_size == 0) {
        int given_back = m_blocks * m_block_size;
        clear(1);
        return given_back;
    }
    int shift = m_shift;
    while (shift > 0 && (1 << (shift - 1)) >= m_size)
        --shift;
    int given_back = m_blocks * m_block_size - (1 << shift);
    if (shift == m_shift) {
        shrink(m_size, 1);
        return given_back;
    }
    // Every element in use lives in block 0: move it to the new paging, then
    // destroy it with whatever it still holds beyond the size.
    std::unique_ptr<Element[]> old(block(0));
    m_table[0] = nullptr;
    int size = m_size;
    clear(1);
    set_paging(shift);
    copyin(old.get(), size, 0, 0);
    return given_back;
}

// ---- iterator --------------------------------------------------------------

omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator::omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator(
    const omPositionXqcPageArrPrgqcPrgqcPageArr* array)
    : m_array(array), m_table(&array->m_table) {}

int omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator::do_first() {
    m_left = m_array->size();
    if (m_left == 0)
        return 0;
    m_block_index = 0;
    m_item = static_cast<const omPositionXqcPageArrPrgqcPrg*>((*m_table)[0]);
    m_in_block = m_array->block_size() < m_left ? m_array->block_size() : m_left;
    return 1;
}

int omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator::next() {
    if (m_left <= 1) {
        m_left = 0;
        return 0;
    }
    --m_left;
    if (--m_in_block > 0) {
        ++m_item;
        return 1;
    }
    ++m_block_index;
    m_item = static_cast<const omPositionXqcPageArrPrgqcPrg*>((*m_table)[m_block_index]);
    m_in_block = m_array->block_size() < m_left ? m_array->block_size() : m_left;
    return 1;
}
