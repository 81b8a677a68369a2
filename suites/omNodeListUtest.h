#pragma once

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omNodeList: indexed access to a child list and its two
// ways of iteration, at the end of the list and after reset.
class omNodeListUtest {
public:
    explicit omNodeListUtest(kuUnitTest* tester);
    ~omNodeListUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_access(const omDocumentFactory& factory) const;
    void test_iteration(const omDocumentFactory& factory) const;
    void test_next_node(const omDocumentFactory& factory) const;

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
