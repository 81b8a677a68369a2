#pragma once

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omNamedNodeMap, an element's live attribute map:
// length, walking by index, look-up, removal and setting attribute nodes.
class omNamedNodeMapUtest {
public:
    explicit omNamedNodeMapUtest(kuUnitTest* tester);
    ~omNamedNodeMapUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_getLength(const omDocumentFactory& factory) const;
    void test_iteration(const omDocumentFactory& factory) const;
    void test_getNamedItem(const omDocumentFactory& factory) const;
    void test_removeNamedItem(const omDocumentFactory& factory) const;
    void test_setNamedItem(const omDocumentFactory& factory) const;

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
