#pragma once

#include <memory>

#include "factory/omDocumentFactory.h"

// Contracts a wrapped back-end can be told to break, one switch each.
struct BackendFaults {
    // insertBefore with a reference node that is not a child appends the new child.
    bool insert_appends_after_non_child = false;
    // A node list's operator++ keeps answering false after the end instead of starting over.
    bool list_stays_at_end = false;
    // selectSingleNode returns the last match instead of the first.
    bool select_single_returns_last = false;
    // removeNamedItem of an absent name returns quietly, without an assertion report.
    bool remove_absent_name_quietly = false;
    // removeChild answers with the child but leaves it in place.
    bool remove_child_keeps_it = false;
    // replaceChild puts the new child last instead of in the old one's place.
    bool replace_child_appends = false;
    // removeNamedItem answers with the attribute but leaves it in place.
    bool remove_named_item_keeps_it = false;
    // setAttribute writes the name as the value of an empty attribute.
    bool empty_attribute_takes_its_name = false;
    // setAttribute stores markup characters escaped, as they would be written.
    bool attribute_values_escaped_twice = false;
    // A node list leaves out its last item.
    bool list_drops_last = false;
    // A document loaded from memory gets one more child of its root, a text.
    bool loaded_root_gains_child = false;
    // get_xml of a text or comment node answers with its bare data.
    bool character_xml_is_data = false;
};

// A factory whose documents and nodes delegate to those of real, except for
// the contracts that faults breaks.
std::shared_ptr<omDocumentFactory> make_faulty_factory(std::shared_ptr<omDocumentFactory> real, BackendFaults faults);

// A factory that creates and loads nothing: every document handle is empty,
// every load fails with a message and every save fails.
std::shared_ptr<omDocumentFactory> make_empty_factory();
