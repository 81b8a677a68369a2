// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omDocumentFactoryUtest.h"

#include <cstring>

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "platform/kuService.h"
#include "suites/omUtestUtils.h"

#define OM_UTEST_CLASS "omDocumentFactoryUtest"
#include "suites/omUtestCheck.h"

namespace {

std::shared_ptr<omElement> root_of(const std::shared_ptr<omDocument>& document) {
    return document ? document->getDocumentElement() : nullptr;
}

// Asking a childless node for its first child raises an assertion, so look first.
std::shared_ptr<omNode> first_child_of(const std::shared_ptr<omNode>& node) {
    return node && node->hasChildNodes() ? node->getFirstChild() : nullptr;
}

std::shared_ptr<omNode> last_child_of(const std::shared_ptr<omNode>& node) {
    return node && node->hasChildNodes() ? node->getLastChild() : nullptr;
}

syByteArray bytes_of(const char* text) { return syByteArray(text, std::strlen(text)); }

void print_error(kuUnitTest* tester, const omParseError& error) {
    if (tester)
        tester->printf("Error was \"%s\"", error.message().convert(syStringUTF8));
}

} // namespace

omDocumentFactoryUtest::omDocumentFactoryUtest(kuUnitTest* tester) : m_tester(tester) {}

omDocumentFactoryUtest::~omDocumentFactoryUtest() {}

void omDocumentFactoryUtest::run_tests(std::shared_ptr<omDocumentFactory> factory) const {
    do_run_tests(factory);
    test_service(factory);
}

void omDocumentFactoryUtest::do_run_tests(std::shared_ptr<omDocumentFactory> factory) const {
    if (!factory)
        return;
    test_create(factory);
    test_attributes(factory);
    test_nodes(factory);
    test_from_memory(factory);
    test_remove_white(factory);
    test_save(factory);
    test_get_xml(factory);
    test_create_comments(factory);
    test_read_bad(factory);
    test_write_bad(factory);
    test_exotic_filenames(factory);
}

void omDocumentFactoryUtest::test_create(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_create);
    std::shared_ptr<omDocument> document = factory->createDocument(SYSTRING("Test"));
    OM_CHECK(document.get(), "test create document");
    std::shared_ptr<omNode> root = root_of(document);
    OM_CHECK(root.get(), "test root was created");
    OM_CHECK_IF(root, root->getNodeName() == SYSTRING("Test"), "test root name");
}

void omDocumentFactoryUtest::test_attributes(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_attributes);
    std::shared_ptr<omDocument> document = factory->createDocument(SYSTRING("test"));
    const bool has_root = root_of(document) != nullptr;
    OM_CHECK_IF(has_root, document->getDocumentElement()->getNodeName() == SYSTRING("test"),
                "Checking that root node is equal to test");
    if (has_root)
        document->getDocumentElement()->setAttribute(SYSTRING("John"), SYSTRING("Tall"));
    OM_CHECK_IF(has_root, document->getDocumentElement()->hasAttributes(),
                "Checking that document has attributes after insertion");
    OM_CHECK_IF(has_root, document->getDocumentElement()->hasAttribute(SYSTRING("John")),
                "Checking that document has attribute John");
    OM_CHECK_IF(has_root, document->getDocumentElement()-> getAttribute(SYSTRING("John")) == SYSTRING("Tall"),
                "Checking that attribute value is Tall");
    if (has_root)
        document->getDocumentElement()->removeAttribute(SYSTRING("John"));
    OM_CHECK_IF(has_root, !document->getDocumentElement()->hasAttributes(), "Checking that there are no attributes");
    OM_CHECK_IF(has_root, !document->getDocumentElement()->hasAttribute(SYSTRING("John")),
                "Checking that attribute john has been removed");
    if (has_root) {
        document->getDocumentElement()->setAttribute(SYSTRING("Size"), SYSTRING("50"));
        document->getDocumentElement()->setAttribute(SYSTRING("Size"), SYSTRING("100"));
    }
    OM_CHECK_IF(has_root, document->getDocumentElement()-> getAttribute(SYSTRING("Size")) == SYSTRING("100"),
                "Check that attribute size is equal to 100");
}

void omDocumentFactoryUtest::test_nodes(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_nodes);
    std::shared_ptr<omDocument> document = factory->createDocument(SYSTRING("test"));
    const bool has_root = root_of(document) != nullptr;
    if (has_root) {
        std::shared_ptr<omElement> element = document->createElement(SYSTRING("NewChild"));
        if (element)
            document->getDocumentElement()->appendChild(element);
    }
    OM_CHECK_IF(first_child_of(root_of(document)),
                document->getDocumentElement()->getFirstChild()-> getNodeName() == SYSTRING("NewChild"),
                "Checking that first child node is equal to NewChild");

    std::shared_ptr<omNode> childless = first_child_of(root_of(document));
    kuUnitTest* tester = kuUnitTest::get_tester();
    if (tester)
        tester->expect_assert_min(1);
    if (childless)
        childless->getFirstChild();
    if (tester)
        tester->check_assert();
    childless.reset();

    if (std::shared_ptr<omNode> first = first_child_of(root_of(document)))
        document->getDocumentElement()->removeChild(first);
    OM_CHECK_IF(has_root, !document->getDocumentElement()->hasChildNodes(), "Checking that root node has no children");

    for (const wchar_t* name : {L"Child1", L"Child2", L"Child3", L"Child4", L"Child5"}) {
        std::shared_ptr<omElement> element = has_root ? document->createElement(syString(sySTRING_L, name)) : nullptr;
        if (element)
            document->getDocumentElement()->appendChild(element);
    }
    OM_CHECK_IF(last_child_of(root_of(document)),
                document->getDocumentElement()-> getLastChild()->getNodeName() == SYSTRING("Child5"),
                "Checking that last child node is equal to Child5");

    syString orig_uri = document ? document->getDocumentURI() : syString();
    std::shared_ptr<omDocument> owner = has_root ? document->getDocumentElement()->getOwnerDocument() : nullptr;
    syString parent_uri = owner ? owner->getDocumentURI() : syString();
    OM_CHECK_IF(owner, orig_uri == parent_uri,
                "Checking that owner document of root node is equal to original document");

    std::shared_ptr<omNode> first = first_child_of(root_of(document));
    OM_CHECK_IF(first && first->getNextSibling(),
                document->getDocumentElement()->getFirstChild()->getNextSibling()-> getNodeName() == SYSTRING("Child2"),
                "Checking that next sibling of first child is Child2");
    first.reset();
    OM_CHECK_IF(has_root && document->getDocumentElement()->getChildNodes(),
                document->getDocumentElement()->getChildNodes()->length() == 5,
                "Checking that root node has 5 child nodes");

    if (first_child_of(root_of(document)))
        document->getDocumentElement()->replaceChild(document->getDocumentElement()->getLastChild(),
                                                     document->getDocumentElement()->getFirstChild());
    OM_CHECK_IF(first_child_of(root_of(document)),
                document->getDocumentElement()->getFirstChild()-> getNodeName() == SYSTRING("Child5"),
                "Checking that first child is replaced by last child");
}

void omDocumentFactoryUtest::test_from_memory(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_from_memory);
    {
        syByteArray data;
        omLoadOptions options(omValidateOff);
        omParseError error;
        std::shared_ptr<omDocument> document = factory->loadDocument(data, options, error);
        OM_CHECK(!error.invalid(), "test error from empty data");
        print_error(m_tester, error);
    }
    {
        syByteArray data = bytes_of("Hello World");
        omLoadOptions options(omValidateOff);
        omParseError error;
        std::shared_ptr<omDocument> document = factory->loadDocument(data, options, error);
        OM_CHECK(!error.invalid(), "test error from bad data");
        print_error(m_tester, error);
    }
    {
        syByteArray data = bytes_of("<root number=\"123\" />");
        omLoadOptions options(omValidateOff);
        omParseError error;
        std::shared_ptr<omDocument> document = factory->loadDocument(data, options, error);
        OM_CHECK(document.get() && error.invalid(), "test load from memory without validation");
        std::shared_ptr<omNode> root = root_of(document);
        OM_CHECK(root.get(), "test root node from memory");
        OM_CHECK_IF(root, root->getNodeName() == SYSTRING("root"), "test root name from memory");
        syString attribute_value;
        OM_CHECK_IF(root, root->get_attribute(SYSTRING("number"),attribute_value), "test get root attribute from memory");
        OM_CHECK(attribute_value == SYSTRING("123"), "test root attribute value from memory");
    }
    {
        syByteArray data = bytes_of("<root number=\"123\" />");
        omLoadOptions options(omValidateOn);
        omParseError error;
        std::shared_ptr<omDocument> document = factory->loadDocument(data, options, error);
        OM_CHECK(document.get() && error.invalid(), "test load from memory with validation");
    }
    {
        syByteArray data = bytes_of(
            "<?xml version=\"1.0\" ?><machine xmlns=\"InMemoryTest\"><XY Value=\"1.2\" Valid=\"1\"/></machine>");
        omLoadOptions options(omValidateOn);
        omParseError error;
        syPath schema_path(SYSTRING("../data/in_memory_test_schema.xsd"));
        OM_PREREQUISITE(schema_path.exists(), "Prerequisite: schema file doesn't exist - copy it in");
        options.add_external_schema(SYSTRING("InMemoryTest"), schema_path);
        std::shared_ptr<omDocument> document = factory->loadDocument(data, options, error);
        OM_CHECK(document.get() && error.invalid(), "test load from memory with validation and schema checking");
        std::shared_ptr<omNode> root = root_of(document);
        OM_CHECK(root.get(), "test root node from memory");
        OM_CHECK_IF(root, root->getNodeName() == SYSTRING("machine"), "test root name from memory");
        OM_CHECK_IF(root && root->getChildNodes(), root->getChildNodes()->length() == 1, "test number of children");
        syString value;
        OM_CHECK_IF(first_child_of(root), root->getFirstChild()->get_attribute(SYSTRING("Value"),value),
                    "test get root attribute from memory");
        OM_CHECK(value == SYSTRING("1.2"), "test root attribute value from memory");
    }
}

void omDocumentFactoryUtest::test_remove_white(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_remove_white);
    struct Row {
        const char* data;
        std::vector<const wchar_t*> expected;
    };
    const Row rows[] = {
        {"<root> </root>", {L" "}},
        {"<root>\n<tag>Hello World</tag>\n</root>", {L"Hello World"}},
        {"<root>Hello World</root>", {L"Hello World"}},
        {"<root><b>Hello</b> <i>There</i> World</root>", {L"Hello", L" ", L"There", L" World"}},
        {"<root><tag1> </tag1><tag2>Hello World</tag2></root>", {L" ", L"Hello World"}},
    };
    for (const Row& row : rows) {
        syByteArray sy_data = bytes_of(row.data);
        std::vector<syString> expected;
        for (const wchar_t* text : row.expected)
            expected.push_back(syString(sySTRING_L, text));
        const char* description = kuUnitTest::build_varargs("test remove white from \"%s\"", row.data);
        OM_CHECK(do_remove_white_test(factory,sy_data,expected), description);
    }
}

void omDocumentFactoryUtest::test_save(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_save);
    const auto check_reloaded = [&](const std::shared_ptr<omDocument>& document_out, const omParseError& error) {
        OM_PREREQUISITE(document_out.get() && error.invalid(), "Prerequisite: test load");
        std::shared_ptr<omNode> root = root_of(document_out);
        OM_CHECK(root.get(), "test root was created");
        OM_CHECK_IF(root, root->getNodeName() == SYSTRING("Test"), "test root name");
    };
    std::shared_ptr<omDocument> document_in = factory->createDocument(SYSTRING("Test"));

    syByteArray output;
    OM_CHECK_IF(document_in, factory->saveDocument(document_in,output), "test save to memory");
    {
        omLoadOptions options(omValidateOff);
        omParseError error;
        check_reloaded(factory->loadDocument(output, options, error), error);
    }

    syPath path(SYSTRING("./save_test.xml"));
    OM_CHECK_IF(document_in, factory->saveDocument(document_in,path), "test save to disc");
    {
        omLoadOptions options(omValidateOff);
        omParseError error;
        check_reloaded(factory->loadDocument(path, options, error), error);
    }
}

void omDocumentFactoryUtest::test_get_xml(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_get_xml);
    std::shared_ptr<omDocument> document_in = factory->createDocument(SYSTRING("Test"));
    if (std::shared_ptr<omElement> root_in = root_of(document_in)) {
        root_in->setAttribute(SYSTRING("Colour"), SYSTRING("Blue"));
        root_in->setAttribute(SYSTRING("Escapees"), SYSTRING("&<>"));
    }
    syString xml = document_in ? document_in->get_xml() : syString();
    syByteArray bytes = bytes_of(xml.convert(syStringUTF8));

    omLoadOptions options(omValidateOff);
    omParseError error;
    std::shared_ptr<omDocument> document_out = factory->loadDocument(bytes, options, error);
    OM_CHECK(document_out.get(), "test load document from xml");
    std::shared_ptr<omElement> root_out = root_of(document_out);
    OM_CHECK(root_out.get() && root_out->getNodeName() == SYSTRING("Test"), "test root from xml");
    OM_CHECK_IF(root_out, root_out->getAttribute(SYSTRING("Colour")) == SYSTRING("Blue"),
                "Test simple attribute from xml");
    OM_CHECK_IF(root_out, root_out->getAttribute(SYSTRING("Escapees")) == SYSTRING("&<>"),
                "Test complex attribute from xml");
}

void omDocumentFactoryUtest::test_create_comments(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_create_comments);
    std::shared_ptr<omDocument> document = om_utest_load(
        *factory, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><tag_1>  <tag_2>Tag2Text</tag_2>  <!--A comment-->  "
                  "<tag_3>Tag3Text</tag_3></tag_1>");
    OM_PREREQUISITE(document.get(), "Prerequisite: load document");
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNodeList> children = root ? root->getChildNodes() : nullptr;
    OM_CHECK_IF(children, children->length() == 3, "test number of children");

    const syString expected_text = SYSTRING("A comment");
    std::shared_ptr<omElement> comment = children && children->length() > 1 ? children->at(1) : nullptr;
    syString comment_text = comment ? comment->get_text() : syString();
    OM_CHECK_IF(comment, comment_text == expected_text, "test comment text");
}

void omDocumentFactoryUtest::test_read_bad(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_read_bad);
    omLoadOptions options(omValidateOn);
    omParseError error;
    std::shared_ptr<omDocument> document =
        factory->loadDocument(syPath(SYSTRING("../data/not_a_file.xml")), options, error);
    OM_CHECK(!document.get() && !error.invalid(), "test reading non existent file");
    if (m_tester)
        m_tester->printf("Error was \"%s\"\n", error.message().convert(syStringUTF8));

    document = factory->loadDocument(syPath(SYSTRING("../data/not/a/dir/file.xml")), options, error);
    OM_CHECK(!document.get() && !error.invalid(), "test reading from non existent directory");
    if (m_tester)
        m_tester->printf("Error was \"%s\"\n", error.message().convert(syStringUTF8));
}

void omDocumentFactoryUtest::test_write_bad(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_write_bad);
    std::shared_ptr<omDocument> document = factory->createDocument(SYSTRING("root"));
    bool ok = document && factory->saveDocument(document, syPath(SYSTRING("../data/not/a/dir/features_file.xml")));
    OM_CHECK(!ok, "test saving to a non existent directory");
}

void omDocumentFactoryUtest::test_exotic_filenames(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_exotic_filenames);
    const syString extension = SYSTRING("xml");
    {
        syPath simple_path = omUtestUtils::uniquify_filename(SYSTRING("./simple_xml_path"), extension);
        kuString description = simple_path.path();
        const char* check_description = kuUnitTest::build_varargs("test load from \"%s\"", description.c_str());
        OM_CHECK(do_exotic_filename_test(factory, simple_path, description), check_description);
    }
    {
        syPath space_path = omUtestUtils::uniquify_filename(SYSTRING("./path with spaces"), extension);
        kuString description = space_path.path();
        const char* check_description = kuUnitTest::build_varargs("test load from \"%s\"", description.c_str());
        OM_CHECK(do_exotic_filename_test(factory, space_path, description), check_description);
    }
    {
        syPath nb_space_path =
            omUtestUtils::uniquify_filename(SYSTRING("./path\u00A0with\u00A0nb\u00A0spaces"), extension);
        kuString description("non-breaking spaces path");
        const char* check_description = kuUnitTest::build_varargs("test load from \"%s\"", description.c_str());
        OM_CHECK(do_exotic_filename_test(factory, nb_space_path, description), check_description);
    }
    {
        syPath mixed_path = omUtestUtils::uniquify_filename(SYSTRING("./path\u00A0with mixed\u00A0spaces"), extension);
        kuString description("mixed spaces path");
        const char* check_description = kuUnitTest::build_varargs("test load from \"%s\"", description.c_str());
        OM_CHECK(do_exotic_filename_test(factory, mixed_path, description), check_description);
    }
    {
        syPath percent_path = omUtestUtils::uniquify_filename(SYSTRING("./path_with_%_char"), extension);
        kuString description = percent_path.path();
        const char* check_description = kuUnitTest::build_varargs("test load from \"%s\"", description.c_str());
        OM_CHECK(do_exotic_filename_test(factory, percent_path, description), check_description);
    }
    {
        syPath cyrillic_path = omUtestUtils::uniquify_filename(SYSTRING("./path_with_cyrillic_\u0444"), extension);
        kuString description("cyrillic path");
        const char* check_description = kuUnitTest::build_varargs("test load from \"%s\"", description.c_str());
        OM_CHECK(do_exotic_filename_test(factory, cyrillic_path, description), check_description);
    }
}

void omDocumentFactoryUtest::test_service(std::shared_ptr<omDocumentFactory> factory) const {
    OM_UTEST_FUNCTION(test_service);
    kuServiceName name(kuString("XMLService"));
    kuService::get_instance()->register_service(name, factory);
    kuServiceName scratch;
    std::shared_ptr<omDocumentFactory> located_factory =
        kuService::get_instance()->locate_service<omDocumentFactory>(name, scratch);
    if (OM_CHECK(located_factory.get(), "test locating factory service"))
        do_run_tests(located_factory);
}

bool omDocumentFactoryUtest::do_remove_white_test(std::shared_ptr<omDocumentFactory> factory, const syByteArray& data,
                                                  const std::vector<syString>& expected) const {
    OM_UTEST_FUNCTION(do_remove_white_test);
    omLoadOptions options(omValidateOff);
    omParseError error;
    std::shared_ptr<omDocument> document = factory->loadDocument(data, options, error);
    OM_PREREQUISITE(document.get() && error.invalid(), "Prerequisite: test load");
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNodeList> children = root ? root->getChildNodes() : nullptr;
    OM_CHECK_IF(children, children->length() == static_cast<int>(expected.size()), "test number of child nodes");
    for (int i = 0; children && i < children->length(); ++i) {
        std::shared_ptr<omElement> child = children->at(i);
        syString text = child ? child->get_text() : syString();
        // A node beyond the expected ones has nothing to be compared with: it is reported failed.
        const bool expected_here = static_cast<std::size_t>(i) < expected.size();
        if (expected_here && m_tester)
            m_tester->printf("Expected \"%s\"\nActual   \"%s\"", expected.at(i).convert(syStringUTF8),
                             text.convert(syStringUTF8));
        const char* description = kuUnitTest::build_varargs("node %d text is wrong", i);
        OM_CHECK_IF(expected_here && child, text == expected.at(i), description);
    }
    return true;
}

bool omDocumentFactoryUtest::do_exotic_filename_test(std::shared_ptr<omDocumentFactory> factory, const syPath& path,
                                                     const kuString& description) const {
    OM_UTEST_FUNCTION(do_exotic_filename_test);
    omUtestUtils::write_data(path, "<?xml version=\"1.0\" ?><machine>  <XY Value=\"1.2\" Valid=\"1\"/></machine>");
    omLoadOptions options(omValidateOff);
    omParseError error;
    std::shared_ptr<omDocument> document = factory->loadDocument(path, options, error);
    OM_CHECK(document.get() && error.invalid(), kuUnitTest::build_varargs("load from %s", description.c_str()));
    return true;
}
