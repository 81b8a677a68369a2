// Checking documents without a tree: agreement with loads on generated
// documents, every error up to a maximum, schemas compiled before any
// document, and the limits that huge input lifts.
#include <random>

#include "backend/lxDocumentFactory.h"
#include "support.h"

namespace {

const char* const k_schema =
    "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"r\">"
    "<xs:complexType mixed=\"true\"><xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">"
    "<xs:element name=\"i\"><xs:complexType><xs:attribute name=\"n\" type=\"xs:int\"/>"
    "</xs:complexType></xs:element><xs:any namespace=\"##other\" processContents=\"skip\"/></xs:choice>"
    "<xs:anyAttribute processContents=\"skip\"/></xs:complexType></xs:element></xs:schema>";

// Documents put together from pieces, broken ones among them, each loaded
// (and so checked: backend() compares) with and without the schema.
TEST(StreamCheck, AgreesWithTheLoadOnGeneratedDocuments) {
    const std::string prologs[] = {
        "", "<?xml version=\"1.0\"?>\n",
        std::string("<!DOCTYPE r [<!ENTITY e \"x<i n='2'/>&amp;\"><!ENTITY f \"&e;&e;&e;\">") +
            "<!ATTLIST d id ID #IMPLIED>]>\n"};
    std::vector<std::string> pieces(1);
    for (char c : std::string("<i n=\"1\"/>|<i n=\"x\"/>|<i>|</i>|text| \n |&amp;|&e;|&f;|&g;|<![CDATA[c]]>|<!--c-->|"
                              "<?p d?>|<c xml:id=\"k\"/>|<d id=\"k\"/>|<n:q xmlns:n=\"urn:n\"/>|<m:q/>|\xff|&#0;|<|\n"))
        if (c == '|')
            pieces.emplace_back();
        else
            pieces.back() += c;
    TempDir dir;
    omLoadOptions validating(omValidateOn);
    validating.set_no_namespace_schema(syPath(wide(dir.write("r.xsd", k_schema))));
    validating.set_entity_expansion_limit(8);
    std::mt19937 random(23);
    for (int n = 0; n < 600; ++n) {
        std::string text = prologs[random() % 3];
        text += "<r>";
        for (std::size_t k = random() % 12; k > 0; --k)
            text += pieces[random() % pieces.size()];
        if (random() % 8)
            text += "</r>";
        load(text);
        load(text, validating);
    }
}

TEST(StreamCheck, HandsOutEveryErrorUpToTheMaximum) {
    TempDir dir;
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(wide(dir.write("r.xsd", k_schema))));
    const std::string text = "<r>\n<i n=\"a\"/>\n<i n=\"b\"/>\n<i n=\"c\"/>\n<i n=\"4\"/></r>";
    const syByteArray bytes(text.data(), text.size());
    lxStreamValidator validator;
    for (std::size_t max : {1, 2, 3, 9}) {
        omParseError error;
        std::vector<omParseError> further;
        EXPECT_FALSE(validator.check(bytes, options, error, &further, max));
        EXPECT_EQ(error.line_number(), 2);
        ASSERT_EQ(further.size(), std::min<std::size_t>(max, 3) - 1) << max;
        for (std::size_t i = 0; i < further.size(); ++i) {
            EXPECT_EQ(further[i].line_number(), static_cast<int>(i) + 3);
            EXPECT_NE(narrow(further[i].message()).find(std::string("'") + char('b' + i) + "'"), std::string::npos);
        }
    }
}

TEST(StreamCheck, ASchemaThatFailsIsReportedAgainstItsFile) {
    TempDir dir;
    const std::string broken = dir.write("broken.xsd", "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n"
                                                       "<xs:element name=\"r\" type=\"xs:nope\"/></xs:schema>");
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(wide(broken)));
    lxStreamValidator validator;
    omParseError error;
    EXPECT_FALSE(validator.prepare(options, error));
    EXPECT_EQ(narrow(error.url()), broken);
    EXPECT_EQ(error.line_number(), 2);
    EXPECT_NE(narrow(error.message()).find("nope"), std::string::npos) << narrow(error.message());
}

// libxml2's limits of depth and text size hold unless huge input is allowed,
// and name the option; the depth guard of our own holds even then.
TEST(StreamCheck, HugeInputLiftsTheLimitsButNotTheDepthGuard) {
    std::string deep, deepest; // the deepest is never closed: a limit ends it first
    for (int i = 0; i < 300; ++i)
        deep = "<a>" + deep + "</a>";
    for (int i = 0; i < 1000000; ++i)
        deepest += "<a>";
    std::string long_text = "<a>" + std::string(10000001, 'x') + "</a>";
    lxDocumentFactory factory;
    lxStreamValidator validator;
    for (bool huge : {false, true}) {
        factory.set_huge_input(huge);
        validator.set_huge_input(huge);
        for (const std::string* text : {&deep, &long_text, &deepest}) {
            const syByteArray bytes(text->data(), text->size());
            omParseError loaded, checked;
            const bool passes = huge && text != &deepest;
            EXPECT_EQ(factory.loadDocument(bytes, omLoadOptions(), loaded) != nullptr, passes);
            EXPECT_EQ(validator.check(bytes, omLoadOptions(), checked), passes);
            EXPECT_EQ(narrow(checked.message()), narrow(loaded.message()));
            EXPECT_EQ(checked.column_number(), loaded.column_number());
            const std::string message = narrow(loaded.message());
            EXPECT_TRUE(passes || message.find(huge ? "even for trusted input" : "validate --huge") != message.npos)
                << message;
        }
    }
}

} // namespace
