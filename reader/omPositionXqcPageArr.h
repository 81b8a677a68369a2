#pragma once

/// @file
/// The paged array of owned cursors, its element and its iterator.

#include "omxmlExport.h"

#include <initializer_list>

#include "platform/kuMarkers.h"
#include "platform/qcDynArr.h"
#include "reader/omPositionX.h"

/// Element of the paged array: the single owner of one cursor, null when empty.
/// Copying transfers: the target takes the source's cursor and the source is
/// left null (the source is const only in signature, as in the family's owners).
class OMXML_API omPositionXqcPageArrPrgqcPrg {
public:
    /// An empty element.
    omPositionXqcPageArrPrgqcPrg() = default;
    /// Owns position.
    explicit omPositionXqcPageArrPrgqcPrg(omPositionX* position) : m_position(position) {}
    /// Takes source's cursor; source is left empty.
    omPositionXqcPageArrPrgqcPrg(const omPositionXqcPageArrPrgqcPrg& source);
    /// Deletes the cursor held, then takes source's; source is left empty.
    omPositionXqcPageArrPrgqcPrg& operator=(const omPositionXqcPageArrPrgqcPrg& source);
    /// Deletes the cursor held.
    ~omPositionXqcPageArrPrgqcPrg() { delete m_position; }

    /// The cursor held, or null.
    omPositionX* operator->() const { return m_position; }
    /// The cursor held, or null.
    omPositionX* get() const { return m_position; }

private:
    mutable omPositionX* m_position = nullptr;
};

/// Paged array of owned cursors: blocks of 2^shift elements reached through a
/// table of block pointers, so an element never moves once its block exists.
/// Lowering the size without freeing keeps the cursors above it owned and
/// alive until their slot is reused, their block destroyed or the array
/// destroyed. Every copying operation transfers ownership element by element.
class OMXML_API omPositionXqcPageArrPrgqcPrgqcPageArr {
public:
    /// The element type: the single owner of one cursor.
    using Element = omPositionXqcPageArrPrgqcPrg;

    /// An empty array with blocks of 2^8 elements and a table of 5 blocks that grows by 10.
    omPositionXqcPageArrPrgqcPrgqcPageArr();
    /// An empty array with blocks of 2^shift elements and a block table of table_capacity entries that grows by
    /// table_growth.
    omPositionXqcPageArrPrgqcPrgqcPageArr(int shift, int table_capacity, int table_growth);
    /// An array that takes over elements, in order.
    omPositionXqcPageArrPrgqcPrgqcPageArr(std::initializer_list<Element> elements);
    /// An array that takes over every element of source, whose elements are left empty.
    omPositionXqcPageArrPrgqcPrgqcPageArr(kuCopy, const omPositionXqcPageArrPrgqcPrgqcPageArr& source);
    /// Copying goes through the kuCopy constructor.
    omPositionXqcPageArrPrgqcPrgqcPageArr(const omPositionXqcPageArrPrgqcPrgqcPageArr&) = delete;
    /// Assigning goes through become().
    omPositionXqcPageArrPrgqcPrgqcPageArr& operator=(const omPositionXqcPageArrPrgqcPrgqcPageArr&) = delete;
    /// Destroys every block and every cursor held.
    ~omPositionXqcPageArrPrgqcPrgqcPageArr();

    /// The number of elements.
    int size() const { return m_size; }
    /// The number of elements of one block.
    int block_size() const { return m_block_size; }

    /// Grows the size to i + 1 when i is at or beyond it.
    Element& operator[](int i);
    /// Element i, which must exist.
    const Element& operator[](int i) const { return read(i); }
    /// Element i of an existing block; no check, no growth.
    const Element& read(int i) const { return block(i >> m_shift)[i & (m_block_size - 1)]; }
    /// Slot i takes e over; its block must exist; the size is unchanged.
    void enter(int i, const Element& e);
    /// The new last slot takes e over, deleting any cursor left in it.
    void append(const Element& e);

    /// Blocks for n elements and size n when n > size: 1, or 0 when a block cannot be made.
    int expand(int n);
    /// Blocks for n elements, size unchanged: 1 or 0.
    int reserve(int n);
    /// Size n when n < size; a non-zero free_blocks also destroys the blocks n does not need.
    void shrink(int n, int free_blocks);
    /// Size 0; a non-zero free_blocks also destroys every block and its cursors.
    void clear(int free_blocks);

    /// Transfers min(n, what src holds from position from) elements from src
    /// (which may be this array) to positions to, to + 1, ...
    void copy(const omPositionXqcPageArrPrgqcPrgqcPageArr& src, int n, int to, int from);
    /// Transfers src[from ...] into positions to ... and sets size at least to + n.
    void copyin(const Element* src, int n, int to, int from);
    /// Transfers positions from ... into dst[to ...].
    void copyout(Element* dst, int n, int from, int to);
    /// Clears this array, then takes over every element of source; returns this array.
    omPositionXqcPageArrPrgqcPrgqcPageArr& become(kuCopy, const omPositionXqcPageArrPrgqcPrgqcPageArr& source);
    /// Reverses the order of the elements.
    void reverse();
    /// Fits an array smaller than a block into one block of the smallest
    /// sufficient power-of-two size; returns the number of slots given back.
    int repaginate();

protected:
    /// Makes blocks up to index b and switches to it: 1, or 0 when it cannot.
    int get_block(int b);
    /// Makes block b the current block, which must exist.
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

/// Walks an array's elements in order, block by block.
class OMXML_API omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator {
public:
    /// An iterator over array, standing before its first element; the array must outlive it.
    explicit omPositionXqcPageArrPrgqcPrgqcPageArrqcIterator(const omPositionXqcPageArrPrgqcPrgqcPageArr* array);
    /// Back to before the first element.
    void reset() { m_left = 0; }
    /// To the first element: 0 when the array is empty.
    int first() { return do_first(); }
    /// To the next element: 0 when none is left.
    int next();
    /// The element the iterator stands on (after first() or next() gave 1).
    const omPositionXqcPageArrPrgqcPrg& item() const { return *m_item; }

protected:
    /// first(), for subclasses.
    int do_first();

private:
    const omPositionXqcPageArrPrgqcPrgqcPageArr* m_array;
    const kuAnyqcPageArrINTERNALqcDynArr* m_table;
    int m_block_index = 0;
    const omPositionXqcPageArrPrgqcPrg* m_item = nullptr;
    int m_left = 0;
    int m_in_block = 0;
};
