#pragma once

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of the tree operations of omNode: set_text, walking
// siblings and parents, and appendChild, insertBefore, replaceChild and
// removeChild.
class omNodeUtest {
public:
    explicit omNodeUtest(kuUnitTest* tester);
    ~omNodeUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_append_child(const omDocumentFactory& factory) const;
    void test_get_next_sibling(const omDocumentFactory& factory) const;
    void test_get_parent_node(const omDocumentFactory& factory) const;
    void test_get_previous_sibling(const omDocumentFactory& factory) const;
    void test_insert_child(const omDocumentFactory& factory) const;
    void test_remove_child(const omDocumentFactory& factory) const;
    void test_replace_child(const omDocumentFactory& factory) const;
    void test_set_text(const omDocumentFactory& factory) const;

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
