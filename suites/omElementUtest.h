#pragma once

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omElement: XPath selection with selectNodes and
// selectSingleNode, and an attribute whose value is empty.
class omElementUtest {
public:
    explicit omElementUtest(kuUnitTest* tester);
    ~omElementUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_select(const omDocumentFactory& factory) const;
    void test_zero_length_attribute(const omDocumentFactory& factory) const;

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
