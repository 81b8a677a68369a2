// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omCommentNodeUtest.h"

#include "dom/omCharacterData.h"
#include "dom/omDocument.h"

#define OM_UTEST_CLASS "omCommentNodeUtest"
#include "suites/omUtestCheck.h"

namespace {

std::shared_ptr<omCommentNode> create_comment(const std::shared_ptr<omDocument>& document, const syString& data) {
    return document ? document->createComment(data) : nullptr;
}

} // namespace

omCommentNodeUtest::omCommentNodeUtest(kuUnitTest* tester) : m_tester(tester) {}

omCommentNodeUtest::~omCommentNodeUtest() {}

void omCommentNodeUtest::run_tests(const omDocumentFactory& factory) const {
    test_getData(factory);
    test_get_xml(factory);
}

void omCommentNodeUtest::test_getData(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_getData);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    const syString text = SYSTRING("Some comment");
    std::shared_ptr<omCommentNode> comment_node = create_comment(document, text);
    OM_CHECK_IF(comment_node, comment_node->getData() == text, "test getData");
    OM_CHECK_IF(comment_node, comment_node->get_text() == text, "test get_text");
    OM_CHECK_IF(comment_node, comment_node->getNodeValue() == text, "test getNodeValue");
}

void omCommentNodeUtest::test_get_xml(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_get_xml);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omCommentNode> comment_node = create_comment(document, SYSTRING("Some comment"));
    syString xml = comment_node ? comment_node->get_xml() : syString();
    const syString expected = SYSTRING("<!--Some comment-->");
    OM_CHECK_IF(comment_node, xml == expected, "test get_xml");

    std::shared_ptr<omCommentNode> funny_node = create_comment(document, SYSTRING("Some & comment < and > stuff"));
    syString funny_xml = funny_node ? funny_node->get_xml() : syString();
    const syString expected_funny = SYSTRING("<!--Some & comment < and > stuff-->");
    OM_CHECK_IF(funny_node, funny_xml == expected_funny, "test get_xml with funny characters");
}
