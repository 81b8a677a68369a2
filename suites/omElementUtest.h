#pragma once

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omElement: XPath selection with selectNodes and
// selectSingleNode, and an attribute whose value is empty.
class OMXML_API omElementUtest {
public:
    explicit omElementUtest(kuUnitTest* tester);
    ~omElementUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_select(const omDocumentFactory& factory) const;
    void test_zero_length_attribute(const omDocumentFactory& factory) const;

private:
    kuUnitTest* m_tester;
};
