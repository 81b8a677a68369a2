#pragma once

/// @file
/// Conformance suite of the node tree operations.

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"

class kuUnitTest;

/// Conformance suite of the tree operations of omNode: set_text, walking
/// siblings and parents, and appendChild, insertBefore, replaceChild and
/// removeChild.
class OMXML_API omNodeUtest {
public:
    /// A suite whose messages about failed loads go to tester (null for none). Checks are reported to the
    /// harness that kuUnitTest::set_tester installed.
    explicit omNodeUtest(kuUnitTest* tester);
    /// Destroys the suite; the files its cases wrote stay on disk.
    ~omNodeUtest();

    /// Runs every case on factory. Writes its data files into the working directory. Failures are reported,
    /// never thrown.
    void run_tests(const omDocumentFactory& factory) const;

protected:
    /// @name Cases
    /// @{

    /// One case of the suite, run by run_tests: it builds or loads its own documents through
    /// factory and reports every check to the harness of kuUnitTest::get_tester().
    void test_append_child(const omDocumentFactory& factory) const;
    void test_get_next_sibling(const omDocumentFactory& factory) const;
    void test_get_parent_node(const omDocumentFactory& factory) const;
    void test_get_previous_sibling(const omDocumentFactory& factory) const;
    void test_insert_child(const omDocumentFactory& factory) const;
    void test_remove_child(const omDocumentFactory& factory) const;
    void test_replace_child(const omDocumentFactory& factory) const;
    void test_set_text(const omDocumentFactory& factory) const;
    /// @}

private:
    [[maybe_unused]] kuUnitTest* m_tester; // checks reach the harness through kuUnitTest::get_tester()
};
