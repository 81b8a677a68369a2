// The suites against back-ends that break one contract each: they must report
// exactly the failures that contract predicts, and never crash.
#include <gtest/gtest.h>

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
#include "tests/suites/faulty_backend.h"
#include "tests/suites/suite_harness.h"

namespace {

using Keys = std::vector<std::string>;

void run_all_suites(kuUnitTest* tester, const std::shared_ptr<omDocumentFactory>& factory) {
    omDocumentFactoryUtest(tester).run_tests(factory);
    omNodeUtest(tester).run_tests(*factory);
    omNodeListUtest(tester).run_tests(*factory);
    omNamedNodeMapUtest(tester).run_tests(*factory);
    omElementUtest(tester).run_tests(*factory);
    omDocumentUtest(tester).run_tests(*factory);
    omTextNodeUtest(tester).run_tests(*factory);
    omCommentNodeUtest(tester).run_tests(*factory);
    omValidationUtest(tester).run_tests(*factory);
}

class FaultyBackend : public ::testing::Test {
protected:
    // Runs all nine suites on the real back-end wrapped with faults; the
    // number of reports must not change, only their outcomes.
    Keys failures_with(BackendFaults faults) {
        run_all_suites(&tester, make_faulty_factory(lx_register_xml_service(), faults));
        EXPECT_EQ(tester.reports().size(), 361u);
        return tester.failure_keys();
    }

    SuiteWorkspace workspace;
    RecordingTester tester;
};

TEST_F(FaultyBackend, WrapperWithoutFaultsPassesEverySuite) {
    EXPECT_EQ(failures_with(BackendFaults{}), Keys{});
    EXPECT_EQ(tester.assert_outcomes(), 3);
}

TEST_F(FaultyBackend, InsertBeforeThatAppendsAfterANonChildIsCaught) {
    BackendFaults faults;
    faults.insert_appends_after_non_child = true;
    EXPECT_EQ(failures_with(faults),
              (Keys{"omNodeUtest::test_insert_child | test insertee after non child | !tag4_inserted.get()",
                    "omNodeUtest::test_insert_child | test inserted child | *root->getLastChild() == *tag3_inserted"}));
}

TEST_F(FaultyBackend, SetTextThatAppendsIsCaught) {
    BackendFaults faults;
    faults.set_text_appends = true;
    EXPECT_EQ(failures_with(faults),
              (Keys{"omNodeUtest::test_set_text | new tag1 text | children->at(0)->get_text() == new_tag1_text",
                    "omNodeUtest::test_set_text | new tag2 text | children->at(1)->get_text() == new_tag2_text",
                    "omNodeUtest::test_set_text | number of grand children | grand_children->length() == 1"}));
}

TEST_F(FaultyBackend, NodeListThatDoesNotStartOverIsCaught) {
    BackendFaults faults;
    faults.list_stays_at_end = true;
    const std::string iterate = "omNodeListUtest::test_iteration | ";
    const std::string next = "omNodeListUtest::test_next_node | ";
    const std::string name = "(*children)()->getNodeName() == names[j]";
    EXPECT_EQ(failures_with(faults), (Keys{
                                         iterate + "test iterate 1 0 | ++(*children)",
                                         iterate + "test name 1 0 | " + name,
                                         iterate + "test iterate 2 0 | ++(*children)",
                                         iterate + "test name 2 0 | " + name,
                                         iterate + "test iterate 2 1 | ++(*children)",
                                         iterate + "test name 2 1 | " + name,
                                         next + "test next node 1 0 | child.get()",
                                         next + "test name 1 0 | child->getNodeName() == names[j]",
                                         next + "test next node 2 0 | child.get()",
                                         next + "test name 2 0 | child->getNodeName() == names[j]",
                                         next + "test next node 2 1 | child.get()",
                                         next + "test name 2 1 | child->getNodeName() == names[j]",
                                     }));
}

TEST_F(FaultyBackend, SelectSingleNodeThatReturnsTheLastMatchIsCaught) {
    BackendFaults faults;
    faults.select_single_returns_last = true;
    EXPECT_EQ(
        failures_with(faults),
        (Keys{"omElementUtest::test_select | test selectSingleNode | text | node->get_text() == SYSTRING(\"Hello\")"}));
}

TEST_F(FaultyBackend, RemoveNamedItemWithoutAssertionIsCaught) {
    BackendFaults faults;
    faults.remove_absent_name_quietly = true;
    const Keys failures = failures_with(faults);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("kuUnitTest::check_assert | ", 0), 0u) << failures[0];
    // It is the outcome of the named node map suite, between its last two cases.
    const auto& reports = tester.reports();
    for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
        if (!reports[i].pass) {
            EXPECT_EQ(reports[i + 1].function, "omNamedNodeMapUtest::test_setNamedItem");
        }
    }
}

TEST_F(FaultyBackend, CommentThatEscapesItsXmlIsCaught) {
    BackendFaults faults;
    faults.comment_xml_escaped = true;
    EXPECT_EQ(
        failures_with(faults),
        (Keys{"omCommentNodeUtest::test_get_xml | test get_xml with funny characters | funny_xml == expected_funny"}));
}

// A back-end that yields no document at all: every check that needs one is
// reported failed, and nothing dereferences an empty handle.
class EmptyBackend : public ::testing::Test {
protected:
    SuiteWorkspace workspace;
    RecordingTester tester;
    std::shared_ptr<omDocumentFactory> factory = make_empty_factory();
};

TEST_F(EmptyBackend, TreeSuitesReportEveryCheckFailed) {
    omNodeUtest(&tester).run_tests(*factory);
    omNodeListUtest(&tester).run_tests(*factory);
    omNamedNodeMapUtest(&tester).run_tests(*factory);
    omElementUtest(&tester).run_tests(*factory);
    omDocumentUtest(&tester).run_tests(*factory);
    omTextNodeUtest(&tester).run_tests(*factory);
    omCommentNodeUtest(&tester).run_tests(*factory);
    ASSERT_FALSE(tester.reports().empty());
    EXPECT_EQ(tester.failures().size(), tester.reports().size());
    // The cases' checks are all there, failed; the failed prerequisites come on top.
    EXPECT_EQ(tester.count_function("omNodeListUtest::test_iteration"), 29);
    EXPECT_EQ(tester.count_function("omElementUtest::test_select"), 15);
}

TEST_F(EmptyBackend, FailedPrerequisitesAreReportedWithTheirTexts) {
    omNodeUtest(&tester).run_tests(*factory);
    int loads = 0;
    for (const RecordedReport& r : tester.reports())
        if (r.description == "Prerequisite: load document") {
            ++loads;
            EXPECT_EQ(r.expression, "document.get()");
            EXPECT_EQ(r.pass, 0);
        }
    EXPECT_EQ(loads, 8);
    const RecordedReport* first =
        find_report(tester, "omNodeUtest::test_get_next_sibling", "Prerequisite: test root->getFirstChild");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->expression, "tag1.get()");
    const RecordedReport* name =
        find_report(tester, "omNodeUtest::test_get_next_sibling", "Prerequisite: test first name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->expression, "tag1->getNodeName() == syString(sySTRING_L,L\"tag_1\")");
    const RecordedReport* last =
        find_report(tester, "omNodeUtest::test_get_previous_sibling", "Prerequisite: test last name");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->expression, "tag2->getNodeName() == syString(sySTRING_L,L\"tag_2\")");
}

TEST_F(EmptyBackend, FactoryAndValidationSuitesFailOnlyWhereADocumentIsNeeded) {
    omDocumentFactoryUtest(&tester).run_tests(factory);
    EXPECT_EQ(tester.count_function("omDocumentFactoryUtest::test_service"), 1);
    EXPECT_EQ(tester.count_function("omDocumentFactoryUtest::test_create"), 6);
    const RecordedReport* error =
        find_report(tester, "omDocumentFactoryUtest::test_from_memory", "test error from empty data");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->pass, 1);
    const RecordedReport* saved =
        find_report(tester, "omDocumentFactoryUtest::test_write_bad", "test saving to a non existent directory");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->pass, 1);

    RecordingTester validation;
    omValidationUtest(&validation).run_tests(*factory);
    EXPECT_EQ(validation.reports().size(), 39u);
    // Only the loads that must succeed fail: one per path case and the valid pair of schemas.
    ASSERT_EQ(validation.failures().size(), 13u);
    for (const RecordedReport& r : validation.failures())
        EXPECT_EQ(r.expression, "document.get()") << r.description;
}

} // namespace
