#pragma once

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omDocument: getElementsByTagName on a loaded document.
class OMXML_API omDocumentUtest {
public:
    explicit omDocumentUtest(kuUnitTest* tester);
    ~omDocumentUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_get_elements_by_tag_name(const omDocumentFactory& factory) const;

private:
    kuUnitTest* m_tester;
};
