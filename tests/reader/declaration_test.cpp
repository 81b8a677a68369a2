// The XML declaration and the encoding tests of the abstract reader.
#include <gtest/gtest.h>
#include <sstream>

#include "reader/omException.h"
#include "reader/reader_support.h"

namespace {

std::string explanation_of(const std::string& xml) {
    omDeclarationOn d(xml);
    try {
        d.cursor.standalone();
    } catch (omException& e) {
        return str(e.explanation());
    }
    return "no exception";
}

// A reader that does nothing, with the protected tests opened up.
class omStubReader : public omAbstractXmlReader {
public:
    bool read_file() override { return false; }
    void up() override {}
    bool down_to(const kuString&) override { return false; }
    kuString attribute(const kuString&, const kuString& default_value) override { return default_value; }
    kuString text_node() override { return kuString(); }
    bool has_error_occurred() const override { return false; }
    using omAbstractXmlReader::is_safe_ascii;
    using omAbstractXmlReader::matches_utf16;
    using omAbstractXmlReader::matches_utf8;
};

} // namespace

TEST(ReaderDeclaration, VersionOnly) {
    omDeclarationOn d("<?xml version=\"1.0\"?>\n<r/>\n");
    EXPECT_EQ(str(d.cursor.version()), "1.0");
    EXPECT_EQ(str(d.cursor.encoding()), "utf-8");
    EXPECT_EQ(str(d.cursor.standalone()), "no");
}

TEST(ReaderDeclaration, AllThreePseudoAttributes) {
    omDeclarationOn d("<?xml version=\"1.1\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n<r/>\n");
    EXPECT_EQ(str(d.cursor.standalone()), "yes");
    EXPECT_EQ(str(d.cursor.version()), "1.1");
    EXPECT_EQ(str(d.cursor.encoding()), "ISO-8859-1");
    EXPECT_EQ(str(d.cursor.standalone()), "yes");
}

TEST(ReaderDeclaration, SingleQuotedValues) {
    omDeclarationOn d("<?xml version='1.0' encoding='latin1'?>\n<r/>\n");
    EXPECT_EQ(str(d.cursor.version()), "1.0");
    EXPECT_EQ(str(d.cursor.encoding()), "latin1");
}

TEST(ReaderDeclaration, AnEmptyEncodingIsUtf8) {
    EXPECT_EQ(str(omDeclarationOn("<?xml version=\"1.0\" encoding=\"\"?>\n<r/>\n").cursor.encoding()), "utf-8");
}

TEST(ReaderDeclaration, TheEncodingIsReturnedAsWritten) {
    EXPECT_EQ(str(omDeclarationOn("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r/>\n").cursor.encoding()), "UTF-16");
}

TEST(ReaderDeclaration, StandaloneBeforeEncodingLeavesTheEncodingUtf8) {
    omDeclarationOn d("<?xml version=\"1.0\" standalone=\"yes\"?>\n<r/>\n");
    EXPECT_EQ(str(d.cursor.encoding()), "utf-8");
    EXPECT_EQ(str(d.cursor.standalone()), "yes");
}

TEST(ReaderDeclaration, EachOperationLeavesTheCursorAfterWhatItRead) {
    omDeclarationOn d("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<r/>\n");
    d.cursor.version();
    EXPECT_EQ(d.offset(), 19);
    d.cursor.encoding();
    EXPECT_EQ(d.offset(), 36);
    d.cursor.standalone();
    EXPECT_EQ(d.offset(), 36);
}

TEST(ReaderDeclaration, AByteOrderMarkOrABlankLineFailsOnTheLessThanSign) {
    EXPECT_EQ(explanation_of("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<r/>\n"), char_error('<'));
    EXPECT_EQ(explanation_of("\n<?xml version=\"1.0\"?>\n<r/>\n"), char_error('<'));
}

TEST(ReaderDeclaration, MalformedDeclarations) {
    EXPECT_EQ(explanation_of("<?xmk version=\"1.0\"?>\n<r/>\n"), char_error('l'));
    EXPECT_EQ(explanation_of("<?xml encoding=\"utf-8\"?>\n<r/>\n"), char_error('v'));
    EXPECT_EQ(explanation_of("<?xml version=\"1.0\" encodng=\"x\"?>\n<r/>\n"), char_error('i'));
    EXPECT_EQ(explanation_of("<?xml version =\"1.0\"?>\n<r/>\n"), char_error('='));
    EXPECT_EQ(explanation_of("<?xml version=\"1.0"), kEndError);
    EXPECT_EQ(explanation_of(""), char_error('<'));
}

TEST(ReaderDeclaration, ASpaceAfterTheEqualsSignIsTakenForTheQuote) {
    EXPECT_EQ(str(omDeclarationOn("<?xml version= \"1.0\" ?>\n<r/>\n").cursor.version()), "\"1.0\"");
}

TEST(ReaderDeclaration, EndPointPassesWhitespaceAndComments) {
    omDeclarationOn d("<?xml version=\"1.0\"?>\n<!-- about -->\n<root/>\n");
    EXPECT_EQ(d.offset(d.cursor.end_point()), 37);
}

TEST(ReaderEncodingNames, Utf8Spellings) {
    omStubReader r;
    for (const char* name : {"UTF-8", "utf-8", "UTF8", "utf8"})
        EXPECT_TRUE(r.matches_utf8(kuString(name))) << name;
    for (const char* name : {"Utf-8", "UTF-16", "utf 8", ""})
        EXPECT_FALSE(r.matches_utf8(kuString(name))) << name;
}

TEST(ReaderEncodingNames, Utf16Spellings) {
    omStubReader r;
    for (const char* name : {"UTF-16", "utf-16", "UTF16", "utf16"})
        EXPECT_TRUE(r.matches_utf16(kuString(name))) << name;
    for (const char* name : {"Utf-16", "UTF-8", "utf-16le", ""})
        EXPECT_FALSE(r.matches_utf16(kuString(name))) << name;
}

TEST(ReaderEncodingNames, SafeAscii) {
    omStubReader r;
    EXPECT_TRUE(r.is_safe_ascii(kuString("")));
    EXPECT_TRUE(r.is_safe_ascii(kuString("plain text, <tags> & \"quotes\"\t\r\n\x7f")));
    EXPECT_FALSE(r.is_safe_ascii(kuString("a\\b")));
    EXPECT_FALSE(r.is_safe_ascii(kuString("{")));
    EXPECT_FALSE(r.is_safe_ascii(kuString("}")));
    EXPECT_FALSE(r.is_safe_ascii(kuString("caf\xC3\xA9")));
    EXPECT_FALSE(r.is_safe_ascii(kuString("\x80")));
}

TEST(ReaderAbstract, DefaultEncodingAndErrorDump) {
    omStubReader r;
    EXPECT_EQ(str(r.encoding()), "Unknown");
    std::ostringstream out;
    r.dump_error(out);
    EXPECT_EQ(out.str(), "");
}
