// Documents whose structure or bytes are hostile: nesting a million deep,
// invalid UTF-8, and schemas that import or include themselves. Each load is
// a clean failure with a message (and its line, where the parser knows it)
// or a clean load.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "hostile_support.h"

namespace {

bool mentions(const std::string& message, const std::string& part) { return message.find(part) != std::string::npos; }

std::string nest(int depth, bool closed) {
    std::string text;
    text.reserve(static_cast<std::size_t>(depth) * 7 + 8);
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    text += "x";
    if (closed)
        for (int i = 0; i < depth; ++i)
            text += "</a>";
    return text;
}

void expect_depth_refused(const omLoadOutcome& outcome, double seconds) {
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_FALSE(outcome.error.invalid());
    EXPECT_TRUE(mentions(outcome.message(), "depth")) << outcome.message();
    EXPECT_EQ(outcome.error.line_number(), 1);
    EXPECT_LT(seconds, 1.0 * time_scale());
}

} // namespace

TEST(HostileStructure, MillionDeepNestingFailsCleanly) {
    const std::string text = nest(1000000, true);
    omLoadOutcome outcome;
    omCost cost = measure([&] { outcome = load_text(text); });
    expect_depth_refused(outcome, cost.seconds);
    if (cost.peak_growth_kb >= 0) {
        EXPECT_LT(cost.peak_growth_kb, 256 * 1024) << "kB of peak memory growth";
    }
}

TEST(HostileStructure, MillionDeepUnclosedNestingFailsCleanly) {
    omLoadOutcome outcome;
    omCost cost = measure([&] { outcome = load_text(nest(1000000, false)); });
    expect_depth_refused(outcome, cost.seconds);
}

TEST(HostileStructure, MillionDeepNestingFromAFileFailsCleanly) {
    omTempDir dir;
    std::string path = dir.write("deep.xml", nest(1000000, true));
    omLoadOutcome outcome;
    omCost cost = measure([&] { outcome = load_path(path, omLoadOptions()); });
    expect_depth_refused(outcome, cost.seconds);
}

// Nesting the parser accepts builds a tree that is walked, written and freed
// without recursion trouble.
TEST(HostileStructure, DeepestAcceptedNestingLoadsAndSaves) {
    omLoadOutcome outcome = load_text(nest(200, true));
    ASSERT_NE(outcome.document, nullptr) << outcome.message();
    EXPECT_EQ(narrow(outcome.document->getDocumentElement()->get_text()), "x");
    syByteArray saved;
    ASSERT_TRUE(backend_factory().saveDocument(outcome.document, saved));
    omParseError error;
    auto again = backend_factory().loadDocument(saved, omLoadOptions(), error);
    ASSERT_NE(again, nullptr) << narrow(error.message());
    EXPECT_EQ(again->getElementsByTagName(wide("a"))->length(), 200);
}

TEST(HostileStructure, InvalidUtf8FailsWithAMessage) {
    // Each text with a word its message must contain.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<r>\xff\xfe</r>", "UTF-8"},                                           // bytes that never start a character
        {"<r a=\"\xc3\"/>", "UTF-8"},                                           // a sequence cut short in an attribute
        {"<r>\xc0\xaf</r>", "UTF-8"},                                           // overlong form of '/'
        {"<r><!-- \xff --></r>", "UTF-8"},                                      // in a comment
        {"<r><![CDATA[\xff]]></r>", "UTF-8"},                                   // in a CDATA section
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\xe2\x82</r>", "UTF-8"}, // declared, then cut short
        {"<r>\xed\xa0\x80</r>", "range"},                                       // a UTF-16 surrogate
        {"<r>\xf4\x90\x80\x80</r>", "range"},                                   // beyond U+10FFFF
    };
    for (const auto& [text, word] : cases) {
        SCOPED_TRACE(text);
        omLoadOutcome outcome = load_text(text);
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_FALSE(outcome.error.invalid());
        EXPECT_TRUE(mentions(outcome.message(), word)) << outcome.message();
        EXPECT_EQ(outcome.error.line_number(), 1);
    }
    // Elsewhere in the document the failure is still clean.
    for (const std::string& text :
         {std::string("<\xc3\xa9\xff/>"), std::string("<r>ok</r>\xff"), std::string("<r>\xe2\x82")}) {
        SCOPED_TRACE(text);
        omLoadOutcome outcome = load_text(text);
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_FALSE(outcome.message().empty());
    }
}

TEST(HostileStructure, InvalidUtf8FromAFileNamesTheLine) {
    omTempDir dir;
    std::string path = dir.write("bad.xml", "<?xml version=\"1.0\"?>\n<r>\n  <a>ok</a>\n  <b>\xff</b>\n</r>\n");
    omLoadOutcome outcome = load_path(path);
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_TRUE(mentions(outcome.message(), "UTF-8")) << outcome.message();
    EXPECT_EQ(outcome.error.line_number(), 4);
}

namespace {

const char kSchemaHead[] = "<?xml version=\"1.0\"?>\n<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"";

omLoadOutcome validate(const std::string& text, const std::string& ns, const std::string& schema) {
    omLoadOptions options(omValidateOn);
    if (ns.empty())
        options.set_no_namespace_schema(syPath(wide(schema)));
    else
        options.add_external_schema(wide(ns), syPath(wide(schema)));
    return load_text(text, options);
}

} // namespace

// A schema may not import its own namespace: the schema is refused, the load fails.
TEST(HostileStructure, SchemaThatImportsItselfIsRefused) {
    omTempDir dir;
    std::string schema = dir.write("self.xsd", std::string(kSchemaHead) +
                                                   " targetNamespace=\"urn:s\" elementFormDefault=\"qualified\">\n"
                                                   "  <xs:import namespace=\"urn:s\" schemaLocation=\"self.xsd\"/>\n"
                                                   "  <xs:element name=\"r\" type=\"xs:string\"/>\n"
                                                   "</xs:schema>\n");
    for (int attempt = 0; attempt < 2; ++attempt) {
        omLoadOutcome outcome;
        omCost cost = measure([&] { outcome = validate("<r xmlns=\"urn:s\">v</r>", "urn:s", schema); });
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_TRUE(mentions(outcome.message(), "import")) << outcome.message();
        EXPECT_LT(cost.seconds, 1.0 * time_scale());
    }
}

TEST(HostileStructure, NoNamespaceSchemaThatImportsItselfIsRefused) {
    omTempDir dir;
    std::string schema =
        dir.write("self.xsd", std::string(kSchemaHead) + ">\n"
                                                         "  <xs:import schemaLocation=\"self.xsd\"/>\n"
                                                         "  <xs:element name=\"r\" type=\"xs:string\"/>\n"
                                                         "</xs:schema>\n");
    omLoadOutcome outcome = validate("<r>v</r>", "", schema);
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_TRUE(mentions(outcome.message(), "import")) << outcome.message();
}

TEST(HostileStructure, SchemaThatIncludesItselfIsRefused) {
    omTempDir dir;
    std::string schema = dir.write("self.xsd", std::string(kSchemaHead) +
                                                   " targetNamespace=\"urn:s\" elementFormDefault=\"qualified\">\n"
                                                   "  <xs:include schemaLocation=\"self.xsd\"/>\n"
                                                   "  <xs:element name=\"r\" type=\"xs:string\"/>\n"
                                                   "</xs:schema>\n");
    omLoadOutcome outcome = validate("<r xmlns=\"urn:s\">v</r>", "urn:s", schema);
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_TRUE(mentions(outcome.message(), "include")) << outcome.message();
}

// Two schemas that import each other are legal: the cycle is followed once.
TEST(HostileStructure, SchemasThatImportEachOtherValidate) {
    omTempDir dir;
    std::string a =
        dir.write("a.xsd", std::string(kSchemaHead) +
                               " targetNamespace=\"urn:s\" xmlns:b=\"urn:b\" elementFormDefault=\"qualified\">\n"
                               "  <xs:import namespace=\"urn:b\" schemaLocation=\"b.xsd\"/>\n"
                               "  <xs:element name=\"r\"><xs:complexType><xs:sequence>"
                               "<xs:element ref=\"b:x\"/></xs:sequence></xs:complexType></xs:element>\n"
                               "</xs:schema>\n");
    dir.write("b.xsd", std::string(kSchemaHead) + " targetNamespace=\"urn:b\" elementFormDefault=\"qualified\">\n"
                                                  "  <xs:import namespace=\"urn:s\" schemaLocation=\"a.xsd\"/>\n"
                                                  "  <xs:element name=\"x\" type=\"xs:int\"/>\n"
                                                  "</xs:schema>\n");
    omLoadOutcome valid = validate("<r xmlns=\"urn:s\"><x xmlns=\"urn:b\">5</x></r>", "urn:s", a);
    ASSERT_NE(valid.document, nullptr) << valid.message();
    EXPECT_TRUE(valid.error.invalid());
    omLoadOutcome invalid = validate("<r xmlns=\"urn:s\"><x xmlns=\"urn:b\">five</x></r>", "urn:s", a);
    EXPECT_EQ(invalid.document, nullptr);
    EXPECT_TRUE(mentions(invalid.message(), "five")) << invalid.message();
}
