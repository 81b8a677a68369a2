#pragma once

/// @file
/// Conformance suite of elements.

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"

class kuUnitTest;

/// Conformance suite of omElement: XPath selection with selectNodes and
/// selectSingleNode, and an attribute whose value is empty.
class OMXML_API omElementUtest {
public:
    /// A suite whose messages about failed loads go to tester (null for none). Checks are reported to the
    /// harness that kuUnitTest::set_tester installed.
    explicit omElementUtest(kuUnitTest* tester);
    /// Destroys the suite; the files its cases wrote stay on disk.
    ~omElementUtest();

    /// Runs every case on factory. Writes its data files into the working directory. Failures are reported,
    /// never thrown.
    void run_tests(const omDocumentFactory& factory) const;

protected:
    /// @name Cases
    /// @{

    /// One case of the suite, run by run_tests: it builds or loads its own documents through
    /// factory and reports every check to the harness of kuUnitTest::get_tester().
    void test_select(const omDocumentFactory& factory) const;
    void test_zero_length_attribute(const omDocumentFactory& factory) const;
    /// @}

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
