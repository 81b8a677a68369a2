#pragma once

/// @file
/// Conformance suite of schema validation.

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"
#include "platform/kuString.h"
#include "platform/syPath.h"

class kuUnitTest;

/// Conformance suite of schema validation while loading: missing schemas,
/// namespace and no-namespace schemas under unusual file names, and two
/// schemas applied together.
class OMXML_API omValidationUtest {
public:
    /// A suite whose messages about failed loads go to tester (null for none). Checks are reported to the
    /// harness that kuUnitTest::set_tester installed.
    explicit omValidationUtest(kuUnitTest* tester);
    /// Destroys the suite; the files its cases wrote stay on disk.
    ~omValidationUtest();

    /// Runs every case on factory. Writes its data files into the working directory. Failures are reported,
    /// never thrown.
    void run_tests(const omDocumentFactory& factory) const;

protected:
    /// @name Cases
    /// @{

    /// One case of the suite, run by run_tests: it builds or loads its own documents through
    /// factory and reports every check to the harness of kuUnitTest::get_tester().
    void test_missing_schema(const omDocumentFactory& factory) const;
    void test_missing_nons_schema(const omDocumentFactory& factory) const;
    void test_simple_schema_path(const omDocumentFactory& factory) const;
    void test_simple_nons_schema_path(const omDocumentFactory& factory) const;
    void test_spaces_in_schema(const omDocumentFactory& factory) const;
    void test_spaces_in_nons_schema(const omDocumentFactory& factory) const;
    void test_nb_spaces_in_schema(const omDocumentFactory& factory) const;
    void test_nb_spaces_in_nons_schema(const omDocumentFactory& factory) const;
    void test_mixed_spaces_in_schema(const omDocumentFactory& factory) const;
    void test_mixed_spaces_in_nons_schema(const omDocumentFactory& factory) const;
    void test_percent_in_schema(const omDocumentFactory& factory) const;
    void test_percent_in_nons_schema(const omDocumentFactory& factory) const;
    void test_cyrillic_in_schema(const omDocumentFactory& factory) const;
    void test_cyrillic_in_nons_schema(const omDocumentFactory& factory) const;
    void test_multiple_schemas(const omDocumentFactory& factory) const;
    /// @}

private:
    /// Loads a valid and an invalid document against the namespace schema at schema_path.
    void run_schema_test(const omDocumentFactory& factory, const syPath& schema_path,
                         const kuString& description) const;
    /// The same with a no-namespace schema.
    void run_nons_schema_test(const omDocumentFactory& factory, const syPath& schema_path,
                              const kuString& description) const;

    kuUnitTest* m_tester;
};
