// The typed attribute accessors of omNode, through the libxml2 back-end.

#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "tests/backend/backend_test_support.h"

namespace {

// Switches the numeric locale for one test and restores it afterwards.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        m_previous = current ? current : "C";
        m_active = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    NumericLocale(const NumericLocale&) = delete;
    NumericLocale& operator=(const NumericLocale&) = delete;
    ~NumericLocale() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active;
};

class TypedAttributes : public ::testing::Test {
protected:
    void SetUp() override {
        document = test_factory()->createDocument(SYSTRING("root"));
        root = document->getDocumentElement();
    }

    // The attribute "a" set to text, as the string accessors see it afterwards.
    std::shared_ptr<omNode> with_value(const std::string& text) {
        root->setAttribute(SYSTRING("a"), wide(text));
        return root;
    }
    std::string written() { return utf8(root->getAttribute(SYSTRING("a"))); }

    std::shared_ptr<omDocument> document;
    std::shared_ptr<omElement> root;
};

TEST_F(TypedAttributes, IntegersMustConsumeTheWholeValueAndMissingLeavesValues) {
    int number = 7;
    EXPECT_TRUE(with_value("-42")->get_attribute(SYSTRING("a"), number));
    EXPECT_EQ(number, -42);
    for (const char* bad : {"12abc", "", " 12", "12 ", "1.5", "99999999999"}) {
        EXPECT_FALSE(with_value(bad)->get_attribute(SYSTRING("a"), number)) << bad;
        EXPECT_EQ(number, -42) << bad;
    }
    syString text = SYSTRING("keep");
    double real = 2.5;
    bool flag = true;
    EXPECT_FALSE(root->get_attribute(SYSTRING("none"), text));
    EXPECT_FALSE(root->get_attribute(SYSTRING("none"), number));
    EXPECT_FALSE(root->get_attribute(SYSTRING("none"), real));
    EXPECT_FALSE(root->get_attribute(SYSTRING("none"), flag));
    EXPECT_FALSE(root->get_attribute_locale(SYSTRING("none"), real));
    EXPECT_EQ(utf8(text), "keep");
    EXPECT_EQ(real, 2.5);
    EXPECT_TRUE(flag);
}

TEST_F(TypedAttributes, BooleansAcceptExactlyFourForms) {
    bool flag = false;
    for (const char* form : {"1", "0", "true", "false"}) {
        EXPECT_TRUE(with_value(form)->get_attribute(SYSTRING("a"), flag)) << form;
        EXPECT_EQ(flag, form[0] == '1' || form[0] == 't') << form;
    }
    for (const char* bad : {"TRUE", "yes", "", "True", " 1"}) {
        flag = true;
        EXPECT_FALSE(with_value(bad)->get_attribute(SYSTRING("a"), flag)) << bad;
        EXPECT_TRUE(flag) << bad;
    }
}

TEST_F(TypedAttributes, SettersWriteTheirFormats) {
    EXPECT_TRUE(root->set_attribute(SYSTRING("a"), true));
    EXPECT_EQ(written(), "true");
    EXPECT_TRUE(root->set_attribute(SYSTRING("a"), -5));
    EXPECT_EQ(written(), "-5");
    EXPECT_TRUE(root->set_attribute(SYSTRING("a"), 4294967295u));
    EXPECT_EQ(written(), "4294967295");
    EXPECT_TRUE(root->set_attribute(SYSTRING("a"), 1.0 / 3.0));
    EXPECT_EQ(written(), "0.3333333333333333");
    EXPECT_TRUE(root->set_attribute(SYSTRING("a"), 1e20));
    EXPECT_EQ(written(), "1e+20");
}

TEST_F(TypedAttributes, DoubleWithPointReadsBack) {
    double value = 0;
    EXPECT_TRUE(with_value("1.2")->get_attribute(SYSTRING("a"), value));
    EXPECT_DOUBLE_EQ(value, 1.2);
    ASSERT_TRUE(root->set_attribute(SYSTRING("a"), 0.1 + 0.2));
    EXPECT_TRUE(root->get_attribute(SYSTRING("a"), value));
    EXPECT_EQ(value, 0.3);
    value = 9;
    EXPECT_FALSE(with_value("1.2x")->get_attribute(SYSTRING("a"), value));
    EXPECT_EQ(value, 9);
}

TEST_F(TypedAttributes, CommaLocaleReadsPointsAndRefusesCommas) {
    NumericLocale german("de_DE.UTF-8");
    if (!german.active())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    double value = 0;
    EXPECT_TRUE(with_value("1.5")->get_attribute(SYSTRING("a"), value));
    EXPECT_EQ(value, 1.5);
    value = 4;
    EXPECT_FALSE(with_value("1,5")->get_attribute(SYSTRING("a"), value));
    EXPECT_EQ(value, 4);
    EXPECT_TRUE(root->get_attribute_locale(SYSTRING("a"), value));
    EXPECT_EQ(value, 1.5);

    // The plain setter writes a point in any locale, and it reads back.
    ASSERT_TRUE(root->set_attribute(SYSTRING("a"), 0.1 + 0.2));
    EXPECT_EQ(written(), "0.3");
    EXPECT_TRUE(root->get_attribute(SYSTRING("a"), value));
    EXPECT_EQ(value, 0.3);

    // The locale setter writes the locale's separator.
    ASSERT_TRUE(root->set_attribute_locale(SYSTRING("a"), 2.25));
    EXPECT_EQ(written(), "2,25");
    EXPECT_TRUE(root->get_attribute_locale(SYSTRING("a"), value));
    EXPECT_EQ(value, 2.25);
}

TEST_F(TypedAttributes, MultiByteSeparatorRoundTrips) {
    // Pashto writes U+066B between the digits, two bytes in UTF-8.
    NumericLocale pashto("ps_AF.UTF-8");
    if (!pashto.active())
        GTEST_SKIP() << "locale ps_AF.UTF-8 is not installed";
    double value = 0;
    ASSERT_TRUE(root->set_attribute_locale(SYSTRING("a"), 2.5));
    EXPECT_EQ(root->getAttribute(SYSTRING("a")), syString(sySTRING_L, L"2\x066B"
                                                                      L"5"));
    EXPECT_TRUE(root->get_attribute_locale(SYSTRING("a"), value));
    EXPECT_EQ(value, 2.5);
    EXPECT_TRUE(with_value("3.75")->get_attribute(SYSTRING("a"), value));
    EXPECT_EQ(value, 3.75);
}

TEST_F(TypedAttributes, OnlyElementsTakeAttributes) {
    std::shared_ptr<omNode> text = document->createTextNode(SYSTRING("t"));
    EXPECT_FALSE(text->set_attribute(SYSTRING("a"), SYSTRING("v")));
    syString value = SYSTRING("keep");
    EXPECT_FALSE(text->get_attribute(SYSTRING("a"), value));
    EXPECT_EQ(utf8(value), "keep");

    // A text child handed out by a list is an element handle, yet still no element.
    root->appendChild(text);
    std::shared_ptr<omElement> item = root->getChildNodes()->at(0);
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->set_attribute(SYSTRING("a"), true));
    EXPECT_FALSE(item->hasAttributes());
    EXPECT_EQ(utf8(root->get_xml()), "<root>t</root>");
}

} // namespace
