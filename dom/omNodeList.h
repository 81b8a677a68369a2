#pragma once

/// @file
/// The node list interface and its cursor.

#include "omxmlExport.h"

#include <cstdint>
#include <memory>

class omElement;

/// An ordered list of nodes. The back-end supplies at() and length(); the
/// cursor operations are implemented here on top of them. Items are handed
/// out as elements whatever their kind.
/// Threads: at() and length() may be called from several threads at once; the
/// cursor (operator(), ++, reset, next_node) is state of the list object, which
/// then belongs to one thread at a time. Dropping a list is safe on any thread.
class OMXML_API omNodeList {
public:
    /// A list whose cursor stands before the first item.
    omNodeList() = default;
    /// Drops the list; the nodes in it are not touched.
    virtual ~omNodeList() = default;

    /// The item at index (0 .. length() - 1), or an empty handle outside that range.
    virtual std::shared_ptr<omElement> at(int index) = 0;
    /// The number of items.
    virtual int length() const = 0;
    /// The item at the cursor, unchecked: call only after operator++ said true.
    virtual std::shared_ptr<omElement> operator()();
    /// True when the list has no item.
    virtual bool isEmpty() const;
    /// Advances the cursor; true when it stands on an item. After the end the
    /// next call starts again at the first item.
    virtual bool operator++();
    /// Puts the cursor back before the first item.
    virtual void reset();
    /// The next item, or an empty handle after the last one.
    virtual std::shared_ptr<omElement> next_node();
    /// True when the list has no item (the family's spelling of isEmpty).
    virtual bool invalid() const;

protected:
    /// The cursor: the index of the item it stands on, -1 before the first.
    std::int32_t current = -1;
};
