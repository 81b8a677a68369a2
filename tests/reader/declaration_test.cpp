// The XML declaration and the encoding tests of the abstract reader.
#include <gtest/gtest.h>

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

} // namespace

TEST(ReaderDeclaration, PseudoAttributes) {
    omDeclarationOn d("<?xml version=\"1.1\" encoding='ISO-8859-1' standalone=\"yes\"?>\n<r/>\n");
    EXPECT_EQ(str(d.cursor.version()), "1.1");
    EXPECT_EQ(d.offset(), 19);
    EXPECT_EQ(str(d.cursor.encoding()), "ISO-8859-1");
    EXPECT_EQ(str(d.cursor.standalone()), "yes");
    omDeclarationOn plain("<?xml version=\"1.0\"?>\n<r/>\n");
    EXPECT_EQ(str(plain.cursor.encoding()), "utf-8");
    EXPECT_EQ(str(plain.cursor.standalone()), "no");
    EXPECT_EQ(str(omDeclarationOn("<?xml version=\"1.0\" encoding=\"\"?>\n<r/>\n").cursor.encoding()), "utf-8");
    EXPECT_EQ(str(omDeclarationOn("<?xml version=\"1.0\" standalone=\"yes\"?>\n<r/>\n").cursor.encoding()), "utf-8");
    EXPECT_EQ(str(omDeclarationOn("<?xml version= \"1.0\" ?>\n<r/>\n").cursor.version()), "\"1.0\"");
    omDeclarationOn end("<?xml version=\"1.0\"?>\n<!-- about -->\n<root/>\n");
    EXPECT_EQ(end.offset(end.cursor.end_point()), 37);
}

TEST(ReaderDeclaration, MalformedDeclarations) {
    EXPECT_EQ(explanation_of("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<r/>\n"), char_error('<'));
    EXPECT_EQ(explanation_of("\n<?xml version=\"1.0\"?>\n<r/>\n"), char_error('<'));
    EXPECT_EQ(explanation_of("<?xmk version=\"1.0\"?>\n<r/>\n"), char_error('l'));
    EXPECT_EQ(explanation_of("<?xml encoding=\"utf-8\"?>\n<r/>\n"), char_error('v'));
    EXPECT_EQ(explanation_of("<?xml version=\"1.0\" encodng=\"x\"?>\n<r/>\n"), char_error('i'));
    EXPECT_EQ(explanation_of("<?xml version =\"1.0\"?>\n<r/>\n"), char_error('='));
    EXPECT_EQ(explanation_of("<?xml version=\"1.0"), kEndError);
    EXPECT_EQ(explanation_of(""), char_error('<'));
}
