// The suites against the libxml2 back-end: exact report counts per suite and
// exact texts of selected reports.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "backend/lxDocumentFactory.h"
#include "suites/omCommentNodeUtest.h"
#include "suites/omDocumentFactoryUtest.h"
#include "suites/omDocumentUtest.h"
#include "suites/omElementUtest.h"
#include "suites/omNamedNodeMapUtest.h"
#include "suites/omNodeListUtest.h"
#include "suites/omNodeUtest.h"
#include "suites/omTextNodeUtest.h"
#include "suites/omValidationUtest.h"
#include "tests/suites/suite_harness.h"

namespace {

// Runs one suite on a fresh harness: it must pass with exactly `reports`
// reports, `asserts` of them from check_assert; returns its diagnostic lines.
std::vector<std::string> expect_passes(const std::function<void(kuUnitTest*)>& run, std::size_t reports,
                                       int asserts = 0) {
    RecordingTester tester;
    run(&tester);
    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(tester.reports().size(), reports);
    EXPECT_EQ(tester.assert_outcomes(), asserts);
    return tester.lines();
}

class ConformingBackend : public ::testing::Test {
protected:
    SuiteWorkspace workspace;
    std::shared_ptr<omDocumentFactory> factory = lx_register_xml_service();
};

TEST_F(ConformingBackend, EverySuitePassesWithItsExactReportCount) {
    ASSERT_TRUE(factory);
    const omDocumentFactory& f = *factory;
    expect_passes([&](kuUnitTest* t) { omDocumentFactoryUtest(t).run_tests(factory); }, 157, 2);
    expect_passes([&](kuUnitTest* t) { omNodeUtest(t).run_tests(f); }, 43);
    expect_passes([&](kuUnitTest* t) { omNodeListUtest(t).run_tests(f); }, 65);
    expect_passes([&](kuUnitTest* t) { omNamedNodeMapUtest(t).run_tests(f); }, 25, 1);
    expect_passes([&](kuUnitTest* t) { omElementUtest(t).run_tests(f); }, 16);
    expect_passes([&](kuUnitTest* t) { omDocumentUtest(t).run_tests(f); }, 6);
    expect_passes([&](kuUnitTest* t) { omTextNodeUtest(t).run_tests(f); }, 5);
    expect_passes([&](kuUnitTest* t) { omCommentNodeUtest(t).run_tests(f); }, 5);
    const std::vector<std::string> lines = expect_passes([&](kuUnitTest* t) { omValidationUtest(t).run_tests(f); }, 39);
    ASSERT_EQ(lines.size(), 7u);
    for (const std::string& line : lines)
        EXPECT_EQ(line.rfind("Error was \"", 0), 0u) << line;
}

TEST_F(ConformingBackend, SuitesReportTheirTextsExactly) {
    RecordingTester tester;
    omDocumentFactoryUtest(&tester).run_tests(factory);
    omNodeUtest(&tester).run_tests(*factory);
    omNodeListUtest(&tester).run_tests(*factory);
    omCommentNodeUtest(&tester).run_tests(*factory);
    omValidationUtest(&tester).run_tests(*factory);

    const RecordedReport* tall =
        find_report(tester, "omDocumentFactoryUtest::test_attributes", "Checking that attribute value is Tall");
    ASSERT_NE(tall, nullptr);
    EXPECT_EQ(tall->expression,
              "document->getDocumentElement()-> getAttribute(SYSTRING(\"John\")) == SYSTRING(\"Tall\")");
    EXPECT_EQ(tall->source_path, "source/utest/omDocumentFactoryUtest");
    const RecordedReport* white =
        find_report(tester, "omDocumentFactoryUtest::test_remove_white", "test remove white from \"<root> </root>\"");
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->expression, "do_remove_white_test(factory,sy_data,expected)");
    const RecordedReport* appended = find_report(tester, "omNodeUtest::test_append_child", "test appended child");
    ASSERT_NE(appended, nullptr);
    EXPECT_EQ(appended->expression, "*root->getFirstChild() == *tag1_appended");
    const RecordedReport* empty = find_report(tester, "omNodeListUtest::test_iteration", "test iterate empty list");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->expression, "!++(*children)");
    const RecordedReport* funny =
        find_report(tester, "omCommentNodeUtest::test_get_xml", "test get_xml with funny characters");
    ASSERT_NE(funny, nullptr);
    EXPECT_EQ(funny->expression, "funny_xml == expected_funny");
    const RecordedReport* cyrillic =
        find_report(tester, "omValidationUtest::run_nons_schema_test", "test invalid xml | cyrillic U+0444");
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_EQ(cyrillic->expression, "!document.get()");
}

} // namespace
