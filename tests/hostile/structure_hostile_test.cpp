// Documents whose structure or bytes are hostile: nesting a million deep,
// invalid UTF-8, and schemas that import or include themselves. Each load is
// a clean failure with a message (and its line, where the parser knows it).

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "hostile_support.h"
#include "platform/syPath.h"

// From memory, closed or unclosed, and from a file: refused on line 1 for
// its depth, within a second, in bounded memory.
TEST(HostileStructure, MillionDeepNestingFailsCleanly) {
    std::string opened, closed;
    for (int i = 0; i < 1000000; ++i)
        opened += "<a>";
    opened += "x";
    closed = opened;
    for (int i = 0; i < 1000000; ++i)
        closed += "</a>";
    omTempDir dir;
    const std::string path = dir.write("deep.xml", closed);
    for (int source = 0; source < 3; ++source) {
        SCOPED_TRACE(source);
        omLoadOutcome outcome;
        omCost cost = measure([&] {
            outcome = source == 0 ? load_text(closed) : source == 1 ? load_text(opened) : load_path(path);
        });
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_FALSE(outcome.error.invalid());
        EXPECT_TRUE(mentions(outcome.message(), "depth")) << outcome.message();
        EXPECT_EQ(outcome.error.line_number(), 1);
        EXPECT_LT(cost.seconds, 1.0 * time_scale());
        EXPECT_LT(cost.peak_growth_kb, 256 * 1024) << "kB of peak memory growth (-1: unknown)";
    }
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
    // From a file, the message names the line of the bad byte.
    omTempDir dir;
    omLoadOutcome outcome =
        load_path(dir.write("bad.xml", "<?xml version=\"1.0\"?>\n<r>\n  <a>ok</a>\n  <b>\xff</b>\n</r>\n"));
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_TRUE(mentions(outcome.message(), "UTF-8")) << outcome.message();
    EXPECT_EQ(outcome.error.line_number(), 4);
}

// A schema may not import (or include) itself: the schema is refused and the
// load fails quickly, with or without a target namespace, every time.
TEST(HostileStructure, SchemaThatImportsItselfIsRefused) {
    const std::string head = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"";
    const std::string element = "<xs:element name=\"r\" type=\"xs:string\"/></xs:schema>";
    const std::string target = " targetNamespace=\"urn:s\" elementFormDefault=\"qualified\">";
    struct Case {
        std::string schema, ns, word;
    };
    const Case cases[] = {
        {head + target + "<xs:import namespace=\"urn:s\" schemaLocation=\"self.xsd\"/>" + element, "urn:s", "import"},
        {head + target + "<xs:import namespace=\"urn:s\" schemaLocation=\"self.xsd\"/>" + element, "urn:s", "import"},
        {head + "><xs:import schemaLocation=\"self.xsd\"/>" + element, "", "import"},
        {head + target + "<xs:include schemaLocation=\"self.xsd\"/>" + element, "urn:s", "include"},
    };
    omTempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.schema);
        omLoadOptions options(omValidateOn);
        syPath schema(wide(dir.write("self.xsd", c.schema)));
        if (c.ns.empty())
            options.set_no_namespace_schema(schema);
        else
            options.add_external_schema(wide(c.ns), schema);
        omLoadOutcome outcome;
        omCost cost =
            measure([&] { outcome = load_text(c.ns.empty() ? "<r>v</r>" : "<r xmlns=\"urn:s\">v</r>", options); });
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_TRUE(mentions(outcome.message(), c.word)) << outcome.message();
        EXPECT_LT(cost.seconds, 1.0 * time_scale());
    }
}
