// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omTextNodeUtest.h"

#include "dom/omCharacterData.h"
#include "dom/omDocument.h"

#define OM_UTEST_CLASS "omTextNodeUtest"
#include "suites/omUtestCheck.h"

namespace {

std::shared_ptr<omTextNode> create_text(const std::shared_ptr<omDocument>& document, const syString& data) {
    return document ? document->createTextNode(data) : nullptr;
}

} // namespace

omTextNodeUtest::omTextNodeUtest(kuUnitTest* tester) : m_tester(tester) {}

omTextNodeUtest::~omTextNodeUtest() {}

void omTextNodeUtest::run_tests(const omDocumentFactory& factory) const {
    test_getData(factory);
    test_get_xml(factory);
}

void omTextNodeUtest::test_getData(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_getData);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    const syString text = SYSTRING("Some text");
    std::shared_ptr<omTextNode> text_node = create_text(document, text);
    OM_CHECK_IF(text_node, text_node->getData() == text, "test getData");
    OM_CHECK_IF(text_node, text_node->get_text() == text, "test get_text");
    OM_CHECK_IF(text_node, text_node->getNodeValue() == text, "test getNodeValue");
}

void omTextNodeUtest::test_get_xml(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_get_xml);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    const syString text = SYSTRING("Some text");
    std::shared_ptr<omTextNode> text_node = create_text(document, text);
    syString xml = text_node ? text_node->get_xml() : syString();
    OM_CHECK_IF(text_node, xml == text, "test get_xml");

    std::shared_ptr<omTextNode> funny_node = create_text(document, SYSTRING("Some & text < and > stuff"));
    syString funny_xml = funny_node ? funny_node->get_xml() : syString();
    const syString expected = SYSTRING("Some &amp; text &lt; and &gt; stuff");
    OM_CHECK_IF(funny_node, funny_xml == expected, "test get_xml with funny characters");
}
