// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omNodeUtest.h"

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"

#define OM_UTEST_CLASS "omNodeUtest"
#include "suites/omUtestCheck.h"

namespace {

const char* const set_text_document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>  <tag_1>Some Text</tag_1>  <tag_2>    <tag_3>Some More Text1</tag_3>"
    "    <tag_3>Some More Text2</tag_3>  </tag_2></root>";
const char* const sibling_document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>  <tag_1>Some Text</tag_1>  <tag_2>Some More Text</tag_2></root>";
const char* const one_child_document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>  <tag_1>Some Text</tag_1></root>";
const char* const empty_root_document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root></root>";
const char* const insert_document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><tag1>Some Text</tag1></root>";
const char* const replace_document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>  <tag1>Some Text</tag1>  <tag2>    <tag3>Yet more text</tag3>"
    "  </tag2></root>";
const char* const remove_document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>  <tag1>Some Text</tag1>  <tag2>Some More Text</tag2></root>";

std::shared_ptr<omNode> root_of(const std::shared_ptr<omDocument>& document) {
    return document ? document->getDocumentElement() : nullptr;
}

std::shared_ptr<omNode> create(const std::shared_ptr<omDocument>& document, const wchar_t* name) {
    return document ? document->createElement(syString(sySTRING_L, name)) : nullptr;
}

// Asking a childless node for its first or last child raises an assertion, so look first.
std::shared_ptr<omNode> first_child_of(const std::shared_ptr<omNode>& node) {
    return node && node->hasChildNodes() ? node->getFirstChild() : nullptr;
}

std::shared_ptr<omNode> last_child_of(const std::shared_ptr<omNode>& node) {
    return node && node->hasChildNodes() ? node->getLastChild() : nullptr;
}

std::shared_ptr<omNodeList> children_of(const std::shared_ptr<omNode>& node) {
    return node ? node->getChildNodes() : nullptr;
}

// The item at index, or an empty handle when the list is missing or shorter.
std::shared_ptr<omElement> item_of(const std::shared_ptr<omNodeList>& list, int index) {
    return list && index < list->length() ? list->at(index) : nullptr;
}

} // namespace

omNodeUtest::omNodeUtest(kuUnitTest* tester) : m_tester(tester) {}

omNodeUtest::~omNodeUtest() {}

void omNodeUtest::run_tests(const omDocumentFactory& factory) const {
    test_set_text(factory);
    test_get_next_sibling(factory);
    test_get_previous_sibling(factory);
    test_get_parent_node(factory);
    test_append_child(factory);
    test_insert_child(factory);
    test_replace_child(factory);
    test_remove_child(factory);
}

void omNodeUtest::test_append_child(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_append_child);
    std::shared_ptr<omDocument> document = om_utest_load(factory, empty_root_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);

    std::shared_ptr<omNode> tag1 = create(document, L"tag1");
    std::shared_ptr<omNode> tag1_appended = root && tag1 ? root->appendChild(tag1) : nullptr;
    OM_CHECK(tag1_appended.get(), "test root->appendChild");
    OM_CHECK_IF(tag1_appended, tag1_appended->getNodeName() == SYSTRING("tag1"), "test appended child name");
    OM_CHECK_IF(tag1_appended && first_child_of(root), *root->getFirstChild() == *tag1_appended,
                "test appended child");
}

void omNodeUtest::test_get_next_sibling(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_get_next_sibling);
    std::shared_ptr<omDocument> document = om_utest_load(factory, sibling_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);

    std::shared_ptr<omNode> tag1 = first_child_of(root);
    OM_PREREQUISITE(tag1.get(), "Prerequisite: test root->getFirstChild");
    OM_PREREQUISITE_IF(tag1, tag1->getNodeName() == syString(sySTRING_L,L"tag_1"), "Prerequisite: test first name");
    std::shared_ptr<omNode> tag2 = tag1 ? tag1->getNextSibling() : nullptr;
    OM_CHECK(tag2.get(), "test tag1->getNextSibling");
    OM_CHECK_IF(tag2, tag2->getNodeName() == SYSTRING("tag_2"), "test next sibling name");
    std::shared_ptr<omNode> tag_null = tag2 ? tag2->getNextSibling() : nullptr;
    OM_CHECK_IF(tag2, !tag_null.get(), "test tag2->getNextSibling");
}

void omNodeUtest::test_get_parent_node(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_get_parent_node);
    std::shared_ptr<omDocument> document = om_utest_load(factory, one_child_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);

    std::shared_ptr<omNode> tag1 = first_child_of(root);
    std::shared_ptr<omNode> tag1_parent = tag1 ? tag1->getParentNode() : nullptr;
    OM_CHECK(tag1_parent.get(), "test tag1->getParentNode");
    OM_CHECK_IF(tag1_parent && root, *tag1_parent == *root, "test tag1 parent");

    std::shared_ptr<omNode> tag2 = create(document, L"tag2");
    std::shared_ptr<omNode> tag2_parent = tag2 ? tag2->getParentNode() : nullptr;
    OM_CHECK_IF(tag2, !tag2_parent.get(), "test tag2 parent");

    std::shared_ptr<omNode> tag2_appended = root && tag2 ? root->appendChild(tag2) : nullptr;
    std::shared_ptr<omNode> tag2_appended_parent = tag2_appended ? tag2_appended->getParentNode() : nullptr;
    OM_CHECK(tag2_appended_parent.get(), "test tag2_appended parent");
    OM_CHECK_IF(tag2_appended_parent && root, *tag2_appended_parent == *root, "test tag2_appended parent");
}

void omNodeUtest::test_get_previous_sibling(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_get_previous_sibling);
    std::shared_ptr<omDocument> document = om_utest_load(factory, sibling_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);

    std::shared_ptr<omNode> tag2 = last_child_of(root);
    OM_PREREQUISITE(tag2.get(), "Prerequisite: test root->getLastChild");
    OM_PREREQUISITE_IF(tag2, tag2->getNodeName() == syString(sySTRING_L,L"tag_2"), "Prerequisite: test last name");
    std::shared_ptr<omNode> tag1 = tag2 ? tag2->getPreviousSibling() : nullptr;
    OM_CHECK(tag1.get(), "test tag2->getPreviousSibling");
    OM_CHECK_IF(tag1, tag1->getNodeName() == SYSTRING("tag_1"), "test previous sibling name");
    std::shared_ptr<omNode> tag_null = tag1 ? tag1->getPreviousSibling() : nullptr;
    OM_CHECK_IF(tag1, !tag_null.get(), "test tag1->getPreviousSibling");
}

void omNodeUtest::test_insert_child(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_insert_child);
    std::shared_ptr<omDocument> document = om_utest_load(factory, insert_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);
    std::shared_ptr<omNode> tag1 = first_child_of(root);

    std::shared_ptr<omNode> tag2 = create(document, L"tag2");
    std::shared_ptr<omNode> tag2_inserted = root && tag2 && tag1 ? root->insertBefore(tag2, tag1) : nullptr;
    OM_CHECK(tag2_inserted.get(), "test root->insertBefore");
    OM_CHECK_IF(tag2_inserted, tag2_inserted->getNodeName() == SYSTRING("tag2"), "test inserted child name");
    OM_CHECK_IF(tag2_inserted && first_child_of(root), *root->getFirstChild() == *tag2_inserted,
                "test inserted child");

    std::shared_ptr<omNode> tag3 = create(document, L"tag3");
    std::shared_ptr<omNode> tag3_inserted = root && tag3 ? root->insertBefore(tag3, nullptr) : nullptr;
    OM_CHECK(tag3_inserted.get(), "test root->insertBefore");
    OM_CHECK_IF(tag3_inserted, tag3_inserted->getNodeName() == SYSTRING("tag3"), "test inserted child name");
    OM_CHECK_IF(tag3_inserted && last_child_of(root), *root->getLastChild() == *tag3_inserted,
                "test inserted child");

    std::shared_ptr<omNode> tag4 = create(document, L"tag4");
    std::shared_ptr<omNode> tag5 = create(document, L"tag5");
    std::shared_ptr<omNode> tag4_inserted = root && tag4 && tag5 ? root->insertBefore(tag4, tag5) : nullptr;
    OM_CHECK_IF(root && tag4 && tag5, !tag4_inserted.get(), "test insertee after non child");
    OM_CHECK_IF(tag3_inserted && last_child_of(root), *root->getLastChild() == *tag3_inserted,
                "test inserted child");
}

void omNodeUtest::test_remove_child(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_remove_child);
    std::shared_ptr<omDocument> document = om_utest_load(factory, remove_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);
    std::shared_ptr<omNode> tag1 = first_child_of(root);
    std::shared_ptr<omNode> tag2 = last_child_of(root);

    std::shared_ptr<omNode> tag1_removed = tag1 ? root->removeChild(tag1) : nullptr;
    OM_CHECK_IF(tag1_removed, !tag1_removed->getParentNode().get(), "test removed child parent");
    std::shared_ptr<omNodeList> children = children_of(root);
    OM_CHECK_IF(children, children->length() == 1, "test number of children");
    OM_CHECK_IF(tag2 && item_of(children, 0), *children->at(0) == *tag2, "test remaining child");

    std::shared_ptr<omNode> tag3 = create(document, L"tag3");
    std::shared_ptr<omNode> tag3_removed = root && tag3 ? root->removeChild(tag3) : nullptr;
    OM_CHECK_IF(root && tag3, !tag3_removed.get(), "test removing a non child");

    std::shared_ptr<omNode> tag2_removed = tag2 ? root->removeChild(tag2) : nullptr;
    OM_CHECK_IF(tag2_removed, !tag2_removed->getParentNode().get(), "test removed child parent");
    children = children_of(root);
    OM_CHECK_IF(children, !children->length(), "test number of children");
}

void omNodeUtest::test_replace_child(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_replace_child);
    std::shared_ptr<omDocument> document = om_utest_load(factory, replace_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);
    std::shared_ptr<omNode> tag1 = first_child_of(root);
    std::shared_ptr<omNode> tag2 = tag1 ? tag1->getNextSibling() : nullptr;

    std::shared_ptr<omNode> tag4 = create(document, L"tag4");
    std::shared_ptr<omNode> tag1_replacee = tag1 && tag4 ? root->replaceChild(tag4, tag1) : nullptr;
    std::shared_ptr<omNodeList> children = children_of(root);
    OM_CHECK_IF(children, children->length() == 2, "test number of children");
    OM_CHECK_IF(tag4 && item_of(children, 0), *children->at(0) == *tag4, "test replaced child");
    OM_CHECK_IF(tag2 && item_of(children, 1), *children->at(1) == *tag2, "test untouched child");
    OM_CHECK_IF(root && tag4 && tag4->getParentNode(), *tag4->getParentNode() == *root, "test replacer child parent");
    OM_CHECK_IF(tag1_replacee, !tag1_replacee->getParentNode().get(), "test replacee child parent");

    std::shared_ptr<omNode> tag3 = first_child_of(tag2);
    std::shared_ptr<omNode> tag5 = create(document, L"tag5");
    std::shared_ptr<omNode> tag3_replacee = tag3 && tag5 ? tag2->replaceChild(tag5, tag3) : nullptr;
    children = children_of(tag2);
    OM_CHECK_IF(children, children->length() == 1, "test number of children");
    OM_CHECK_IF(tag5 && item_of(children, 0), *children->at(0) == *tag5, "test replaced child");
    OM_CHECK_IF(tag2 && tag5 && tag5->getParentNode(), *tag5->getParentNode() == *tag2, "test replacer child parent");
    OM_CHECK_IF(tag3_replacee, !tag3_replacee->getParentNode().get(), "test replacee child parent");

    std::shared_ptr<omNode> tag6 = create(document, L"tag6");
    std::shared_ptr<omNode> tag7 = create(document, L"tag7");
    std::shared_ptr<omNode> tag6_replacee = tag2 && tag6 && tag7 ? tag2->replaceChild(tag6, tag7) : nullptr;
    OM_CHECK_IF(tag2 && tag6 && tag7, !tag6_replacee.get(), "test replacee non child");
    children = children_of(tag2);
    OM_CHECK_IF(children, children->length() == 1, "test number of children");
    OM_CHECK_IF(tag5 && item_of(children, 0), *children->at(0) == *tag5, "test replaced child");
}

void omNodeUtest::test_set_text(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_set_text);
    std::shared_ptr<omDocument> document = om_utest_load(factory, set_text_document);
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omNode> root = root_of(document);
    const syString new_tag1_text = SYSTRING("New Tag1 Text");
    const syString new_tag2_text = SYSTRING("New Tag2 Text");

    std::shared_ptr<omNodeList> children = children_of(root);
    OM_PREREQUISITE_IF(children, children->length() == 2, "Prerequisite: number of children");
    if (std::shared_ptr<omElement> first = item_of(children, 0))
        first->set_text(new_tag1_text);
    if (std::shared_ptr<omElement> second = item_of(children, 1))
        second->set_text(new_tag2_text);
    children.reset();

    children = children_of(root);
    OM_PREREQUISITE_IF(children, children->length() == 2, "Prerequisite: number of children");
    OM_CHECK_IF(item_of(children, 0), children->at(0)->get_text() == new_tag1_text, "new tag1 text");
    OM_CHECK_IF(item_of(children, 1), children->at(1)->get_text() == new_tag2_text, "new tag2 text");
    std::shared_ptr<omElement> second = item_of(children, 1);
    std::shared_ptr<omNodeList> grand_children = second ? second->getChildNodes() : nullptr;
    OM_CHECK_IF(grand_children, grand_children->length() == 1, "number of grand children");
}
