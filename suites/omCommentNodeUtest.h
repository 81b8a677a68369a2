#pragma once

#include "factory/omDocumentFactory.h"

class kuUnitTest;

// Conformance suite of omCommentNode: getData, get_text, getNodeValue and the
// unescaped get_xml of a comment.
class omCommentNodeUtest {
public:
    explicit omCommentNodeUtest(kuUnitTest* tester);
    ~omCommentNodeUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
    void test_getData(const omDocumentFactory& factory) const;
    void test_get_xml(const omDocumentFactory& factory) const;

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
