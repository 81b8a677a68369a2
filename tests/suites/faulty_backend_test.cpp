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

// A back-end that yields no document at all: every check that needs one is
// reported failed, and nothing dereferences an empty handle.
class EmptyBackend : public ::testing::Test {
protected:
    SuiteWorkspace workspace;
    RecordingTester tester;
    std::shared_ptr<omDocumentFactory> factory = make_empty_factory();
};

TEST_F(EmptyBackend, EveryCheckNeedingADocumentFailsWithoutACrash) {
    run_all_suites(&tester, factory);
    const std::vector<RecordedReport> failures = tester.failures();
    ASSERT_FALSE(failures.empty());
    EXPECT_LT(failures.size(), tester.reports().size()) << "checks that need no document still pass";
    const RecordedReport* load =
        find_report(tester, "omNodeUtest::test_get_next_sibling", "Prerequisite: load document");
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(load->expression, "document.get()");
    EXPECT_EQ(load->pass, 0);
    const RecordedReport* error =
        find_report(tester, "omDocumentFactoryUtest::test_from_memory", "test error from empty data");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->pass, 1);
}

} // namespace
