#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_set>

#include <libxml/tree.h>

class omDocument;
class omElement;
class omNode;

// Owns one libxml2 document and every node of it that is not in the tree
// (created and not yet inserted, or removed). Node handles share the owner,
// so the document lives as long as any handle to any of its nodes.
//
// Each node counts the handles (and maps) that refer to it in its _private
// field; a subtree that nothing refers to can be freed as soon as it leaves
// the tree, the others wait for the owner's end.
//
// Threads: handles are made and dropped by readers of the document, any
// number at once, so the node counts and the count of live node lists change
// atomically. Everything else here (the detached nodes, discard) belongs to
// operations that change the document, which have it to themselves.
class lxDocumentOwner : public std::enable_shared_from_this<lxDocumentOwner> {
public:
    explicit lxDocumentOwner(xmlDocPtr doc);
    lxDocumentOwner(const lxDocumentOwner&) = delete;
    lxDocumentOwner& operator=(const lxDocumentOwner&) = delete;
    ~lxDocumentOwner();

    xmlDocPtr doc() const { return m_doc; }

    // Handles of the right kind for a node: element, text, comment, ...
    std::shared_ptr<omNode> node(xmlNodePtr node);
    // Handles for list items: every kind of node as an element.
    std::shared_ptr<omElement> item(xmlNodePtr node);
    std::shared_ptr<omDocument> document();

    // A node that has no parent now: kept until it is inserted or the owner ends.
    void track_detached(xmlNodePtr node);
    // A tracked node that got a parent.
    void untrack(xmlNodePtr node);
    // A subtree just taken out of the tree that a handle still refers to:
    // made independent of its former ancestors' namespace declarations and
    // tracked.
    void keep_detached(xmlNodePtr node);
    // A subtree just taken out of the tree: freed at once when nothing refers
    // into it and no node list is alive, kept otherwise.
    void discard(xmlNodePtr node);

    // Node lists hold plain node pointers; while any list of the document is
    // alive, subtrees that leave the tree are kept rather than freed, which
    // spares every list the work of counting a reference on each of its nodes.
    void list_opened() { m_live_lists.fetch_add(1, std::memory_order_relaxed); }
    void list_closed() { m_live_lists.fetch_sub(1, std::memory_order_release); }

    static void acquire(xmlNodePtr node) { __atomic_add_fetch(count_of(node), 1, __ATOMIC_RELAXED); }
    static void release(xmlNodePtr node) { __atomic_sub_fetch(count_of(node), 1, __ATOMIC_RELEASE); }
    static bool referenced(xmlNodePtr node) { return __atomic_load_n(count_of(node), __ATOMIC_ACQUIRE) != 0; }
    // True when any node of the subtree, attributes included, is referred to.
    static bool referenced_subtree(xmlNodePtr node);
    // Clears the counts of a freshly copied subtree.
    static void clear_references(xmlNodePtr node);

private:
    // The count lives in the pointer-sized field that libxml2 leaves to
    // applications (null on every node it makes); only these functions touch it.
    static std::uintptr_t* count_of(xmlNodePtr node) {
        static_assert(sizeof(std::uintptr_t) == sizeof(node->_private), "a count fills the field");
        return reinterpret_cast<std::uintptr_t*>(&node->_private);
    }

    xmlDocPtr m_doc;
    // Namespaces of detached attributes, which cannot declare their own.
    xmlNsPtr m_detached_ns = nullptr;
    std::unordered_set<xmlNodePtr> m_detached;
    std::atomic<long> m_live_lists{0};
};
