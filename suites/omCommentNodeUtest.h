#pragma once

/// @file
/// Conformance suite of comment nodes.

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"

class kuUnitTest;

/// Conformance suite of omCommentNode: getData, get_text, getNodeValue and the
/// unescaped get_xml of a comment.
class OMXML_API omCommentNodeUtest {
public:
    /// A suite whose messages about failed loads go to tester (null for none). Checks are reported to the
    /// harness that kuUnitTest::set_tester installed.
    explicit omCommentNodeUtest(kuUnitTest* tester);
    /// Destroys the suite; the files its cases wrote stay on disk.
    ~omCommentNodeUtest();

    /// Runs every case on factory. Writes its data files into the working directory. Failures are reported,
    /// never thrown.
    void run_tests(const omDocumentFactory& factory) const;

protected:
    /// @name Cases
    /// @{

    /// One case of the suite, run by run_tests: it builds or loads its own documents through
    /// factory and reports every check to the harness of kuUnitTest::get_tester().
    void test_getData(const omDocumentFactory& factory) const;
    void test_get_xml(const omDocumentFactory& factory) const;
    /// @}

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
