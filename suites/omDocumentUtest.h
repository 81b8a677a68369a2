#pragma once

/// @file
/// Conformance suite of documents.

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"

class kuUnitTest;

/// Conformance suite of omDocument: getElementsByTagName on a loaded document.
class OMXML_API omDocumentUtest {
public:
    /// A suite whose messages about failed loads go to tester (null for none). Checks are reported to the
    /// harness that kuUnitTest::set_tester installed.
    explicit omDocumentUtest(kuUnitTest* tester);
    /// Destroys the suite; the files its cases wrote stay on disk.
    ~omDocumentUtest();

    /// Runs every case on factory. Writes its data files into the working directory. Failures are reported,
    /// never thrown.
    void run_tests(const omDocumentFactory& factory) const;

protected:
    /// @name Cases
    /// @{

    /// One case of the suite, run by run_tests: it builds or loads its own documents through
    /// factory and reports every check to the harness of kuUnitTest::get_tester().
    void test_get_elements_by_tag_name(const omDocumentFactory& factory) const;
    /// @}

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
