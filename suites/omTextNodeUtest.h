#pragma once

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omTextNode: getData, get_text, getNodeValue and the
// escaping get_xml of a text node.
class OMXML_API omTextNodeUtest {
public:
    explicit omTextNodeUtest(kuUnitTest* tester);
    ~omTextNodeUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_getData(const omDocumentFactory& factory) const;
    void test_get_xml(const omDocumentFactory& factory) const;

private:
    kuUnitTest* m_tester;
};
