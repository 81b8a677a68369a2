#pragma once

/// @file
/// The attribute map interface.

#include "omxmlExport.h"

#include <memory>

#include "platform/syString.h"

class omNode;

/// The attribute map of an element: a live view of its attributes. Entries
/// are attribute nodes (name from getNodeName, value from getNodeValue).
/// Threads: the getters are reads of the document (see omNode); removing or
/// setting an item changes it.
class OMXML_API omNamedNodeMap {
public:
    /// An empty part; back-ends construct the concrete map.
    omNamedNodeMap() = default;

    /// The number of attributes.
    virtual int getLength() = 0;
    /// The attribute at index (0 .. getLength() - 1), or an empty handle outside that range.
    virtual std::shared_ptr<omNode> item(int index) = 0;
    /// The attribute named name, or an empty handle.
    virtual std::shared_ptr<omNode> getNamedItem(const syString& name) = 0;
    /// Removing an absent name raises an assertion report (SY_ASSERT).
    virtual std::shared_ptr<omNode> removeNamedItem(const syString& name) = 0;
    /// Returns the attribute replaced under the same name, or an empty handle.
    virtual std::shared_ptr<omNode> setNamedItem(std::shared_ptr<omNode> node) = 0;
    /// Drops the map; the element and its attributes are not touched.
    virtual ~omNamedNodeMap() = default;
};
