// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omDocumentUtest.h"

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"

#define OM_UTEST_CLASS "omDocumentUtest"
#include "suites/omUtestCheck.h"

namespace {

const char* const tag_document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><tag_1>  <tag_2>Tag2Text1</tag_2>  <tag_2>Tag2Text2</tag_2>  "
    "<tag_3>Tag3Text</tag_3></tag_1>";

// The item at index, or an empty handle when the list is missing or shorter.
std::shared_ptr<omElement> item_of(const std::shared_ptr<omNodeList>& list, int index) {
    return list && index < list->length() ? list->at(index) : nullptr;
}

} // namespace

omDocumentUtest::omDocumentUtest(kuUnitTest* tester) : m_tester(tester) {}

omDocumentUtest::~omDocumentUtest() {}

void omDocumentUtest::run_tests(const omDocumentFactory& factory) const { test_get_elements_by_tag_name(factory); }

void omDocumentUtest::test_get_elements_by_tag_name(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_get_elements_by_tag_name);
    std::shared_ptr<omDocument> document = om_utest_load(factory, tag_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");

    std::shared_ptr<omNodeList> tag1_elements =
        document ? document->getElementsByTagName(SYSTRING("tag_1")) : nullptr;
    OM_CHECK_IF(tag1_elements, tag1_elements->length() == 1, "number of tag_1 elements");
    OM_CHECK_IF(item_of(tag1_elements, 0),
                tag1_elements->at(0)->get_text() == SYSTRING("Tag2Text1Tag2Text2Tag3Text"), "tag1 text");

    std::shared_ptr<omNodeList> tag2_elements =
        document ? document->getElementsByTagName(SYSTRING("tag_2")) : nullptr;
    OM_CHECK_IF(tag2_elements, tag2_elements->length() == 2, "number of tag_2 elements");
    OM_CHECK_IF(item_of(tag2_elements, 0), tag2_elements->at(0)->get_text() == SYSTRING("Tag2Text1"),
                "text of first tag_2 element");
    OM_CHECK_IF(item_of(tag2_elements, 1), tag2_elements->at(1)->get_text() == SYSTRING("Tag2Text2"),
                "text of second tag_2 element");

    std::shared_ptr<omNodeList> tag4_elements =
        document ? document->getElementsByTagName(SYSTRING("tag_4")) : nullptr;
    OM_CHECK_IF(tag4_elements, !tag4_elements->length(), "number of tag_4 elements");
}
