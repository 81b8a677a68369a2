#pragma once

#include "omxmlExport.h"

#include "factory/omDocumentFactory.h"
#include "platform/kuString.h"
#include "platform/syPath.h"

class kuUnitTest;

// Conformance suite of schema validation while loading: missing schemas,
// namespace and no-namespace schemas under unusual file names, and two
// schemas applied together.
class OMXML_API omValidationUtest {
public:
    explicit omValidationUtest(kuUnitTest* tester);
    ~omValidationUtest();

    void run_tests(const omDocumentFactory& factory) const;

protected:
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

private:
    void run_schema_test(const omDocumentFactory& factory, const syPath& schema_path,
                         const kuString& description) const;
    void run_nons_schema_test(const omDocumentFactory& factory, const syPath& schema_path,
                              const kuString& description) const;

    kuUnitTest* m_tester;
};
