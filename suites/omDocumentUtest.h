#pragma once

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omDocument: getElementsByTagName on a loaded document.
class omDocumentUtest {
public:
    explicit omDocumentUtest(kuUnitTest* tester);
    ~omDocumentUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_get_elements_by_tag_name(const omDocumentFactory& factory) const;

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
