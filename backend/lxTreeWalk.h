#pragma once

#include <libxml/tree.h>

// Visits top and every node below it in document order, without recursion,
// until visit returns true; true when it did. Children are entered only
// below elements and documents (not attribute values or entity content).
template <class Visit>
bool lx_walk_subtree(xmlNodePtr top, Visit visit) {
    xmlNodePtr node = top;
    while (node) {
        if (visit(node))
            return true;
        if (node->children && (node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE)) {
            node = node->children;
            continue;
        }
        while (node != top && !node->next)
            node = node->parent;
        if (node == top)
            break;
        node = node->next;
    }
    return false;
}
