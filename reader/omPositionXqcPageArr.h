#pragma once

#include "omxmlExport.h"

#include <initializer_list>

#include "platform/kuMarkers.h"
#include "platform/qcDynArr.h"
#include "reader/omPositionX.h"

// Element of the paged array: the single owner of one cursor, null when empty.
// Copying transfers: the target takes the source's cursor and the source is
// left null (the source is const only in signature, as in the family's owners).
class OMXML_API omPositionXqcPageArrPrgqcPrg {
public:
    omPositionXqcPageArrPrgqcPrg() = default;
    explicit omPositionXqcPageArrPrgqcPrg(omPositionX* position) : m_position(position) {}
    omPositionXqcPageArrPrgqcPrg(const omPositionXqcPageArrPrgqcPrg& source);
    omPositionXqcPageArrPrgqcPrg& operator=(const omPositionXqcPageArrPrgqcPrg& source);
    ~omPositionXqcPageArrPrgqcPrg() { delete m_position; }

    omPositionX* operator->() const { return m_position; }
    omPositionX* get() const { return m_position; }

private:
    mutable omPositionX* m_position = nullptr;
};

// Paged array of owned cursors: blocks of 2^shift elements reached through a
// table of block pointers, so an element never moves once its block exists.
// Lowering the size without freeing keeps the cursors above it owned and
// alive until their slot is reused, their block destroyed or the array
// destroyed. Every copying operation transfers ownership element by element.
class OMXML_API omPositionXqcPageArrPrgqcPrgqcPageArr {
public:
    using Element = omPositionXqcPageArrPrgqcPrg;

    omPositionXqcPageArrPrgqcPrgqcPageArr();
    omPositionXqcPageArrPrgqcPrgqcPageArr(int shift, int table_capacity, int table_growth);
    omPositionXqcPageArrPrgqcPrgqcPageArr(std::initializer_list<Element> elements);
    omPositionXqcPageArrPrgqcPrgqcPageArr(kuCopy, const omPositionXqcPageArrPrgqcPrgqcPageArr& source);
    omPositionXqcPageArrPrgqcPrgqcPageArr(const omPositionXqcPageArrPrgqcPrgqcPageArr&) = delete;
    omPositionXqcPageArrPrgqcPrgqcPageArr& operator=(const omPositionXqcPageArrPrgqcPrgqcPageArr&) = delete;
    ~omPositionXqcPageArrPrgqcPrgqcPageArr();

    int size() const { return m_size; }
    int block_size() const { return m_block_size; }

    // Grows the size to i + 1 when i is at or beyond it.
    Element& operator[](int i);
    const Element& operator[](int i) const { return read(i); }
    // Element i of an existing block; no check, no growth.
    const Element& read(int i) const { return block(i >> m_shift)[i & (m_block_size - 1)]; }
    // Slot i takes e over; its block must exist; the size is unchanged.
    void enter(int i, const Element& e);
    // The new last slot takes e over, deleting any cursor left in it.
    void append(const Element& e);

    // Blocks for n elements and size n when n > size: 1, or 0 when a block cannot be made.
    int expand(int n);
    // Blocks for n elements, size unchanged: 1 or 0.
    int reserve(int n);
    // Size n when n < size; a non-zero free_blocks also destroys the blocks n does not need.
    void shrink(int n, int free_blocks);
    // Size 0; a non-zero free_blocks also destroys every block and its cursors.
    void clear(int free_blocks);

    // Transfers min(n, what src holds from position from) elements from src
    // (which may be this array) to positions to, to + 1, ...
    void copy(const omPositionXqcPageArrPrgqcPrgqcPageArr& src, int n, int to, int from);
    // Transfers src[from ...] into positions to ... and sets size at least to + n.
    void copyin(const Element* src, int n, int to, int from);
    // Transfers positions from ... into dst[to ...].
    void copyout(Element* dst, int n, int from, int to);
    omPositionXqcPageArrPrgqcPrgqcPageArr& become(kuCopy, const omPositionXqcPageArrPrgqcPrgqcPageArr& source);
    void reverse();
    // Fits an array smaller than a block into one block of the smallest
    // sufficient power-of-two size; returns the number of slots given back.
    int repaginate();

protected:
    // Makes blocks up to index b and switches to it: 1, or 0 when it cannot.
    int get_block(int b);
    void switch_block(int b);

private:
    friend class omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator;

    Element* block(int b) const {
        return static_cast<Element*>(static_cast<const kuAnyqcPageArrINTERNALqcDynArr&>(m_table)[b]);
    }
    void set_paging(int shift);
    void destroy_blocks_from(int b);

    int m_blocks = 0;
    int m_size = 0;
    int m_block_size;
    int m_shift;
    kuAnyqcPageArrINTERNALqcDynArr m_table;
    int m_current_block_index = -1;
    Element* m_current_block = nullptr;
};

// Walks an array's elements in order, block by block.
class OMXML_API omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator {
public:
    explicit omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator(const omPositionXqcPageArrPrgqcPrgqcPageArr* array);
    void reset() { m_left = 0; }
    // To the first element: 0 when the array is empty.
    int first() { return do_first(); }
    // To the next element: 0 when none is left.
    int next();
    const omPositionXqcPageArrPrgqcPrg& item() const { return *m_item; }

protected:
    int do_first();

private:
    const omPositionXqcPageArrPrgqcPrgqcPageArr* m_array;
    const kuAnyqcPageArrINTERNALqcDynArr* m_table;
    int m_block_index = 0;
    const omPositionXqcPageArrPrgqcPrg* m_item = nullptr;
    int m_left = 0;
    int m_in_block = 0;
};
