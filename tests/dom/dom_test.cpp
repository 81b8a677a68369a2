// The typed attribute accessors of omNode, the node list cursor, the load
// options, the service look-up and the lifetime of lists, maps and removed
// nodes, through the back-end.
#include <stdexcept>

#include "platform/kuService.h"
#include "support.h"

namespace {

class TypedAttributes : public ::testing::Test {
protected:
    // The root with attribute "a" set to text.
    std::shared_ptr<omElement> with(const std::string& text) {
        root->setAttribute(SYSTRING("a"), wide(text));
        return root;
    }
    std::string written() { return narrow(root->getAttribute(SYSTRING("a"))); }
    std::shared_ptr<omDocument> document = backend().createDocument(SYSTRING("root"));
    std::shared_ptr<omElement> root = document->getDocumentElement();
    const syString a = SYSTRING("a");
};

TEST_F(TypedAttributes, ReadersAcceptOnlyWholeValuesAndLeaveTheTargetOtherwise) {
    int number = 7;
    EXPECT_TRUE(with("-42")->get_attribute(a, number));
    EXPECT_EQ(number, -42);
    for (const char* bad : {"12abc", "", " 12", "12 ", "1.5", "99999999999"})
        EXPECT_FALSE(with(bad)->get_attribute(a, number)) << bad;
    bool flag = false;
    for (const char* form : {"1", "0", "true", "false"}) {
        EXPECT_TRUE(with(form)->get_attribute(a, flag)) << form;
        EXPECT_EQ(flag, form[0] == '1' || form[0] == 't') << form;
    }
    flag = true;
    for (const char* bad : {"TRUE", "yes", "", " 1"})
        EXPECT_FALSE(with(bad)->get_attribute(a, flag)) << bad;
    double real = 9;
    EXPECT_TRUE(with("1.2")->get_attribute(a, real));
    EXPECT_DOUBLE_EQ(real, 1.2);
    for (const char* bad : {"1.2x", "1e999", ""})
        EXPECT_FALSE(with(bad)->get_attribute(a, real)) << bad;
    EXPECT_DOUBLE_EQ(real, 1.2);
    syString text = SYSTRING("keep");
    EXPECT_FALSE(root->get_attribute(SYSTRING("none"), text));
    EXPECT_FALSE(root->get_attribute_locale(SYSTRING("none"), real));
    EXPECT_EQ(number, -42);
    EXPECT_TRUE(flag);
    EXPECT_EQ(narrow(text), "keep");
}

TEST_F(TypedAttributes, SettersWriteTheirFormatsAndReadBack) {
    const std::pair<std::function<bool()>, std::string> cases[] = {
        {[&] { return root->set_attribute(a, true); }, "true"},
        {[&] { return root->set_attribute(a, false); }, "false"},
        {[&] { return root->set_attribute(a, -5); }, "-5"},
        {[&] { return root->set_attribute(a, 4294967295u); }, "4294967295"},
        {[&] { return root->set_attribute(a, 1.0 / 3.0); }, "0.3333333333333333"},
        {[&] { return root->set_attribute(a, 1e20); }, "1e+20"},
    };
    for (const auto& [set, text] : cases) {
        EXPECT_TRUE(set());
        EXPECT_EQ(written(), text);
    }
    double value = 0;
    ASSERT_TRUE(root->set_attribute(a, 0.1 + 0.2));
    EXPECT_TRUE(root->get_attribute(a, value));
    EXPECT_EQ(value, 0.3);
}

// The point form stays the same in every locale; the locale form uses the
// locale's separator: a comma in German, U+066B (two bytes in UTF-8) in Pashto.
TEST_F(TypedAttributes, LocaleFormsUseTheSeparatorAndThePointFormStays) {
    for (const auto& [name, separator] : {std::pair<const char*, std::string>{"de_DE.UTF-8", ","},
                                          std::pair<const char*, std::string>{"ps_AF.UTF-8", "\xD9\xAB"}}) {
        SCOPED_TRACE(name);
#ifdef _WIN32
        if (separator.size() > 1)
            continue; // the C run-time's locales there have one-byte separators
#endif
        NumericLocale locale(name);
        if (!locale.active())
            GTEST_SKIP() << name << " is not installed (scripts/deps.sh generates it)";
        double value = 4;
        EXPECT_FALSE(with("1" + separator + "5")->get_attribute(a, value));
        EXPECT_EQ(value, 4);
        EXPECT_TRUE(root->get_attribute_locale(a, value));
        EXPECT_EQ(value, 1.5);
        EXPECT_TRUE(with("3.75")->get_attribute(a, value));
        EXPECT_EQ(value, 3.75);
        EXPECT_FALSE(root->get_attribute_locale(a, value));
        EXPECT_FALSE(with("1e999")->get_attribute_locale(a, value));
        ASSERT_TRUE(root->set_attribute(a, 0.1 + 0.2));
        EXPECT_EQ(written(), "0.3");
        ASSERT_TRUE(root->set_attribute_locale(a, 2.25));
        EXPECT_EQ(written(), "2" + separator + "25");
        EXPECT_TRUE(root->get_attribute_locale(a, value));
        EXPECT_EQ(value, 2.25);
    }
}

TEST_F(TypedAttributes, OnlyElementsTakeAttributes) {
    std::shared_ptr<omNode> text = document->createTextNode(SYSTRING("t"));
    EXPECT_FALSE(text->set_attribute(a, SYSTRING("v")));
    root->appendChild(text);
    std::shared_ptr<omElement> item = root->getChildNodes()->at(0);
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->set_attribute(a, true));
    EXPECT_EQ(narrow(root->get_xml()), "<root>t</root>");
}

// Walking a list and starting over are checked by the node list suite (tests/suites).
// A list whose length changes under the cursor, as a live list of another back-end could.
class ShrinkingList : public omNodeList {
public:
    std::shared_ptr<omElement> at(int) override { return nullptr; }
    int length() const override { return n; }
    int n = 3;
};

TEST(NodeListCursor, CursorBeyondAShorterEndStartsOver) {
    ShrinkingList list;
    EXPECT_TRUE(++list && ++list && ++list);
    list.n = 1;
    EXPECT_TRUE(list.invalid());
    EXPECT_TRUE(++list);
    EXPECT_FALSE(list.invalid());
    EXPECT_FALSE(++list);
}

TEST(LoadOptions, DefaultsSchemasAndCopies) {
    omLoadOptions options;
    EXPECT_EQ(options.validate_mode(), omValidateOff);
    EXPECT_EQ(options.entity_expansion_limit(), 50000);
    EXPECT_TRUE(options.disable_entity_resolution());
    options.add_external_schema(SYSTRING("urn:a"), syPath(SYSTRING("a.xsd")));
    options.add_external_schema(SYSTRING(""), syPath(SYSTRING("b.xsd")));
    ASSERT_EQ(options.num_external_schemas(), 2);
    EXPECT_EQ(narrow(options.external_schema(1).text()), "b.xsd");
    EXPECT_THROW(options.external_namespace(2), std::out_of_range);
    EXPECT_THROW(options.external_schema(-1), std::out_of_range);
    omLoadOptions copy(options);
    copy.add_external_schema(SYSTRING("c"), syPath(SYSTRING("c.xsd")));
    copy.set_entity_expansion_limit(99);
    EXPECT_EQ(options.num_external_schemas(), 2);
    EXPECT_EQ(options.entity_expansion_limit(), 50000);
    EXPECT_EQ(narrow(copy.external_namespace(0)), "urn:a");
}

TEST(ParseError, AFailedLoadFillsTheRecordAndASuccessClearsIt) {
    Loaded failed = load("<root>\n  <a>\n</root>");
    EXPECT_FALSE(failed.document);
    EXPECT_FALSE(failed.error.invalid());
    EXPECT_EQ(failed.error.line_number(), 3);
    EXPECT_GT(failed.error.column_number(), 0);
    omParseError error = failed.error;
    EXPECT_TRUE(backend().loadDocument(syByteArray("<r/>", 4), omLoadOptions(), error));
    EXPECT_TRUE(error.invalid());
    EXPECT_TRUE(error.message().empty());
}

class NotAFactory : public kuService {};

TEST(ServiceLocation, QualifiedNamesFallBackAndOtherTypesAreSkipped) {
    std::shared_ptr<omDocumentFactory> registered = lx_register_xml_service();
    kuServiceName working;
    auto locate = [&](const char* name) {
        return kuService::get_instance()->locate_service<omDocumentFactory>(kuServiceName(kuString(name)), working);
    };
    EXPECT_EQ(locate("XMLService.v2"), registered);
    EXPECT_EQ(std::string(working.name().c_str()), "XMLService");
    EXPECT_FALSE(locate("NoSuchService"));
    kuService::get_instance()->register_service(kuServiceName(kuString("Other")), std::make_shared<NotAFactory>());
    EXPECT_FALSE(locate("Other"));
    kuService::get_instance()->register_service(kuServiceName(kuString("Other")), nullptr);
}

// Lists, maps, attributes and removed nodes stay readable and writable when
// no handle holds the nodes around them any more and the tree changes: the
// map, the attribute and the removed element while no list is alive, the
// list over the children of an element that only the list still reaches.
TEST(Lifetime, ListsMapsAndRemovedNodesOutliveTheirHolders) {
    Loaded doc =
        load(R"(<r><x><a><b/><c/></a></x><d m="2"/><e k="1"/><h xmlns:p="urn:p"><p:a p:k="v">x</p:a></h></r>)");
    ASSERT_TRUE(doc.document);
    std::shared_ptr<omNode> x = doc.root()->getFirstChild(), attribute, removed;
    std::shared_ptr<omNamedNodeMap> map;
    {
        std::shared_ptr<omNode> d = x->getNextSibling(), e = d->getNextSibling(), holder = e->getNextSibling();
        attribute = d->getAttributes()->getNamedItem(SYSTRING("m"));
        map = e->getAttributes();
        removed = holder->removeChild(holder->getFirstChild());
    }
    doc.root()->set_text(SYSTRING("new"));
    std::shared_ptr<omNodeList> list = x->getFirstChild()->getChildNodes();
    x->set_text(SYSTRING("x"));
    ASSERT_EQ(list->length(), 2);
    EXPECT_FALSE(list->at(-1) || list->at(2) || map->item(1));
    EXPECT_EQ(narrow(list->at(0)->getNodeName()) + narrow(list->at(1)->getNodeName()), "bc");
    EXPECT_EQ(narrow(map->getNamedItem(SYSTRING("k"))->getNodeValue() + attribute->getNodeValue()), "12");
    ASSERT_TRUE(removed);
    removed->set_text(SYSTRING("y"));
    EXPECT_TRUE(removed->set_attribute(SYSTRING("p:n"), 2));
    EXPECT_EQ(narrow(removed->getAttributes()->removeNamedItem(SYSTRING("p:k"))->getNodeName()), "p:k");
    doc.root()->appendChild(removed);
    EXPECT_EQ(doc.root()->replaceChild(removed, removed), removed);
    AssertCounter asserts;
    EXPECT_FALSE(doc.root()->removeAttributeNode(attribute)) << "the attribute of another element";
    EXPECT_EQ(asserts.count(), 1);
    EXPECT_EQ(narrow(doc.root()->get_xml()), R"(<r>new<p:a xmlns:p="urn:p" p:n="2">y</p:a></r>)");
}

} // namespace
