// The suites against the libxml2 back-end: exact report counts per suite and
// per case, exact texts of selected reports, and what the suites leave on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

#include "backend/lxDocumentFactory.h"
#include "platform/kuService.h"
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

namespace fs = std::filesystem;
using Counts = std::map<std::string, int>;

Counts counts_by_function(const RecordingTester& tester) {
    Counts counts;
    for (const RecordedReport& r : tester.reports())
        ++counts[r.function];
    return counts;
}

std::string pid_suffix(const char* extension) { return "_" + std::to_string(::getpid()) + "." + extension; }

class ConformingBackend : public ::testing::Test {
protected:
    SuiteWorkspace workspace;
    RecordingTester tester;
    std::shared_ptr<omDocumentFactory> factory = lx_register_xml_service();
};

TEST_F(ConformingBackend, DocumentFactorySuiteRunsEveryCaseTwiceAndPasses) {
    ASSERT_TRUE(factory);
    omDocumentFactoryUtest(&tester).run_tests(factory);

    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(tester.ordinary(), 155);
    EXPECT_EQ(tester.assert_outcomes(), 2);
    const std::string f = "omDocumentFactoryUtest::";
    const Counts expected = {
        {f + "test_create", 6},
        {f + "test_attributes", 14},
        {f + "test_nodes", 14},
        {"kuUnitTest::check_assert", 2},
        {f + "test_from_memory", 28},
        {f + "test_remove_white", 10},
        {f + "do_remove_white_test", 28},
        {f + "test_save", 12},
        {f + "test_get_xml", 8},
        {f + "test_create_comments", 4},
        {f + "test_read_bad", 4},
        {f + "test_write_bad", 2},
        {f + "test_exotic_filenames", 12},
        {f + "do_exotic_filename_test", 12},
        {f + "test_service", 1},
    };
    EXPECT_EQ(counts_by_function(tester), expected);

    // The located factory's run begins right after the check that found it.
    const auto& reports = tester.reports();
    ASSERT_EQ(reports.size(), 157u);
    EXPECT_EQ(reports[78].function, f + "test_service");
    EXPECT_EQ(reports[78].expression, "located_factory.get()");
    EXPECT_EQ(reports[78].description, "test locating factory service");
    EXPECT_EQ(reports[79].function, f + "test_create");

    kuServiceName name(kuString("XMLService"));
    kuServiceName working;
    EXPECT_EQ(kuService::get_instance()->locate_service<omDocumentFactory>(name, working), factory);
}

TEST_F(ConformingBackend, DocumentFactorySuiteReportsItsTextsExactly) {
    omDocumentFactoryUtest(&tester).run_tests(factory);
    const std::string f = "omDocumentFactoryUtest::";

    const RecordedReport* tall = find_report(tester, f + "test_attributes", "Checking that attribute value is Tall");
    ASSERT_NE(tall, nullptr);
    EXPECT_EQ(tall->expression,
              "document->getDocumentElement()-> getAttribute(SYSTRING(\"John\")) == SYSTRING(\"Tall\")");
    EXPECT_EQ(tall->source_path, "source/utest/omDocumentFactoryUtest");

    const RecordedReport* attribute =
        find_report(tester, f + "test_from_memory", "test get root attribute from memory");
    ASSERT_NE(attribute, nullptr);
    EXPECT_EQ(attribute->expression, "root->get_attribute(SYSTRING(\"number\"),attribute_value)");

    const RecordedReport* white =
        find_report(tester, f + "test_remove_white", "test remove white from \"<root> </root>\"");
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->expression, "do_remove_white_test(factory,sy_data,expected)");
    EXPECT_NE(find_report(tester, f + "test_remove_white",
                          "test remove white from \"<root>\n<tag>Hello World</tag>\n</root>\""),
              nullptr);
    EXPECT_NE(find_report(tester, f + "do_remove_white_test", "node 3 text is wrong"), nullptr);

    const RecordedReport* nb =
        find_report(tester, f + "test_exotic_filenames", "test load from \"non-breaking spaces path\"");
    ASSERT_NE(nb, nullptr);
    EXPECT_EQ(nb->expression, "do_exotic_filename_test(factory, nb_space_path, description)");
    EXPECT_NE(find_report(tester, f + "do_exotic_filename_test", "load from cyrillic path"), nullptr);
    const std::string simple = "./simple_xml_path" + pid_suffix("xml");
    EXPECT_NE(find_report(tester, f + "test_exotic_filenames", "test load from \"" + simple + "\""), nullptr);
    EXPECT_NE(find_report(tester, f + "do_exotic_filename_test", "load from " + simple), nullptr);

    const RecordedReport* save = find_report(tester, f + "test_save", "test save to memory");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->expression, "factory->saveDocument(document_in,output)");

    // Every compared node prints the expected and the actual text; twice nine nodes.
    int compared = 0;
    for (const std::string& line : tester.lines())
        compared += line.rfind("Expected \"", 0) == 0;
    EXPECT_EQ(compared, 18);
    EXPECT_NE(std::find(tester.lines().begin(), tester.lines().end(), "Expected \" \"\nActual   \" \""),
              tester.lines().end());
}

TEST_F(ConformingBackend, DocumentFactorySuiteLeavesItsFilesInTheWorkingDirectory) {
    omDocumentFactoryUtest(&tester).run_tests(factory);
    const fs::path run = workspace.run_dir();
    EXPECT_TRUE(fs::exists(run / "save_test.xml"));
    for (const char* base : {"simple_xml_path", "path with spaces", "path\u00A0with\u00A0nb\u00A0spaces",
                             "path\u00A0with mixed\u00A0spaces", "path_with_%_char", "path_with_cyrillic_\u0444"})
        EXPECT_TRUE(fs::exists(run / (base + pid_suffix("xml")))) << base;
    EXPECT_FALSE(fs::exists(workspace.root() / "data" / "not"));
}

TEST_F(ConformingBackend, NodeSuitePassesInCaseOrder) {
    omNodeUtest(&tester).run_tests(*factory);
    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(tester.reports().size(), 43u);
    const std::string f = "omNodeUtest::";
    EXPECT_EQ(
        tester.functions_in_order(),
        (std::vector<std::string>{f + "test_set_text", f + "test_get_next_sibling", f + "test_get_previous_sibling",
                                  f + "test_get_parent_node", f + "test_append_child", f + "test_insert_child",
                                  f + "test_replace_child", f + "test_remove_child"}));
    const Counts expected = {
        {f + "test_set_text", 3},        {f + "test_get_next_sibling", 3}, {f + "test_get_previous_sibling", 3},
        {f + "test_get_parent_node", 5}, {f + "test_append_child", 3},     {f + "test_insert_child", 8},
        {f + "test_replace_child", 12},  {f + "test_remove_child", 6}};
    EXPECT_EQ(counts_by_function(tester), expected);

    const RecordedReport* appended = find_report(tester, f + "test_append_child", "test appended child");
    ASSERT_NE(appended, nullptr);
    EXPECT_EQ(appended->expression, "*root->getFirstChild() == *tag1_appended");
    EXPECT_EQ(appended->source_path, "source/utest/omNodeUtest");
    const RecordedReport* previous =
        find_report(tester, f + "test_get_previous_sibling", "test tag1->getPreviousSibling");
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->expression, "!tag_null.get()");
}

TEST_F(ConformingBackend, NodeListSuitePassesInCaseOrder) {
    omNodeListUtest(&tester).run_tests(*factory);
    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(tester.reports().size(), 65u);
    const std::string f = "omNodeListUtest::";
    EXPECT_EQ(tester.functions_in_order(),
              (std::vector<std::string>{f + "test_access", f + "test_iteration", f + "test_next_node"}));
    EXPECT_EQ(counts_by_function(tester),
              (Counts{{f + "test_access", 6}, {f + "test_iteration", 29}, {f + "test_next_node", 30}}));

    const RecordedReport* step = find_report(tester, f + "test_iteration", "test iterate after reset 2 1");
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->expression, "++(*children)");
    const RecordedReport* name = find_report(tester, f + "test_iteration", "test name 2 1");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->expression, "(*children)()->getNodeName() == names[j]");
    const RecordedReport* empty = find_report(tester, f + "test_iteration", "test iterate empty list");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->expression, "!++(*children)");
}

TEST_F(ConformingBackend, NamedNodeMapSuitePassesWithItsAssertionOutcome) {
    omNamedNodeMapUtest(&tester).run_tests(*factory);
    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(tester.ordinary(), 24);
    EXPECT_EQ(tester.assert_outcomes(), 1);
    const std::string f = "omNamedNodeMapUtest::";
    EXPECT_EQ(
        tester.functions_in_order(),
        (std::vector<std::string>{f + "test_getLength", f + "test_iteration", f + "test_getNamedItem",
                                  f + "test_removeNamedItem", "kuUnitTest::check_assert", f + "test_setNamedItem"}));
    EXPECT_EQ(counts_by_function(tester), (Counts{{f + "test_getLength", 3},
                                                  {f + "test_iteration", 3},
                                                  {f + "test_getNamedItem", 6},
                                                  {f + "test_removeNamedItem", 5},
                                                  {"kuUnitTest::check_assert", 1},
                                                  {f + "test_setNamedItem", 7}}));
    const RecordedReport* left =
        find_report(tester, f + "test_removeNamedItem", "test getNamedItem on item left after removeNamedItem");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->expression, "attributes->getNamedItem(SYSTRING(\"N2\"))");
}

TEST_F(ConformingBackend, ElementDocumentTextAndCommentSuitesPass) {
    omElementUtest(&tester).run_tests(*factory);
    omDocumentUtest(&tester).run_tests(*factory);
    omTextNodeUtest(&tester).run_tests(*factory);
    omCommentNodeUtest(&tester).run_tests(*factory);
    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(counts_by_function(tester), (Counts{{"omElementUtest::test_select", 15},
                                                  {"omElementUtest::test_zero_length_attribute", 1},
                                                  {"omDocumentUtest::test_get_elements_by_tag_name", 6},
                                                  {"omTextNodeUtest::test_getData", 3},
                                                  {"omTextNodeUtest::test_get_xml", 2},
                                                  {"omCommentNodeUtest::test_getData", 3},
                                                  {"omCommentNodeUtest::test_get_xml", 2}}));

    const RecordedReport* text = find_report(tester, "omDocumentUtest::test_get_elements_by_tag_name", "tag1 text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->expression, "tag1_elements->at(0)->get_text() == SYSTRING(\"Tag2Text1Tag2Text2Tag3Text\")");
    EXPECT_EQ(text->source_path, "source/utest/omDocumentUtest");
    const RecordedReport* funny =
        find_report(tester, "omCommentNodeUtest::test_get_xml", "test get_xml with funny characters");
    ASSERT_NE(funny, nullptr);
    EXPECT_EQ(funny->expression, "funny_xml == expected_funny");
    EXPECT_EQ(funny->source_path, "source/utest/omCommentNodeUtest");
}

TEST_F(ConformingBackend, ValidationSuitePassesAndPrintsSevenErrors) {
    omValidationUtest(&tester).run_tests(*factory);
    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(tester.reports().size(), 39u);
    const std::string f = "omValidationUtest::";
    EXPECT_EQ(counts_by_function(tester), (Counts{{f + "test_missing_schema", 4},
                                                  {f + "test_missing_nons_schema", 4},
                                                  {f + "run_schema_test", 12},
                                                  {f + "run_nons_schema_test", 12},
                                                  {f + "test_multiple_schemas", 7}}));
    ASSERT_EQ(tester.lines().size(), 7u);
    for (const std::string& line : tester.lines())
        EXPECT_EQ(line.rfind("Error was \"", 0), 0u) << line;

    const RecordedReport* cyrillic =
        find_report(tester, f + "run_nons_schema_test", "test invalid xml | cyrillic U+0444");
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_EQ(cyrillic->expression, "!document.get()");
    // "%20" is part of the file name, never decoded.
    EXPECT_TRUE(fs::exists(workspace.run_dir() / ("percent%20in%20name" + pid_suffix("xsd"))));
    EXPECT_TRUE(fs::exists(workspace.run_dir() / ("nons\u00A0mixed spaces\u00A0in name" + pid_suffix("xsd"))));
    EXPECT_TRUE(fs::exists(workspace.run_dir() / ("missing_schema" + pid_suffix("xml"))));
}

TEST_F(ConformingBackend, SuitesRunAgainInOneProcessOverwritingTheirFiles) {
    omValidationUtest suite(&tester);
    suite.run_tests(*factory);
    suite.run_tests(*factory);
    omDocumentFactoryUtest(&tester).run_tests(factory);
    omDocumentFactoryUtest(&tester).run_tests(factory);
    EXPECT_EQ(tester.failure_keys(), std::vector<std::string>{});
    EXPECT_EQ(tester.reports().size(), 2u * 39u + 2u * 157u);
}

} // namespace
