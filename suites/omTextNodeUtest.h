#pragma once

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omTextNode: getData, get_text, getNodeValue and the
// escaping get_xml of a text node.
class omTextNodeUtest {
public:
    explicit omTextNodeUtest(kuUnitTest* tester);
    ~omTextNodeUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_getData(const omDocumentFactory& factory) const;
    void test_get_xml(const omDocumentFactory& factory) const;

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
