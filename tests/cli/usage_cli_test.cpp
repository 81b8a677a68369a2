// Arguments the tools must refuse as malformed, and the control characters
// of file names, which a JUnit file cannot carry (they become '?').
#include "cli/cli_fixture.h"

using UsageCli = CliFixture;

TEST_F(UsageCli, MalformedArgumentsAreRefusedAndControlCharactersKeptOutOfJunit) {
    const std::string doc = write("a.xml", "<a b='1'/>");
    const CliRun empty_schema = omxml({"validate", "--schema", "urn:x=", doc});
    EXPECT_EQ(empty_schema.status, 2);
    EXPECT_NE(empty_schema.err.find("--schema: takes NAMESPACE=PATH"), std::string::npos) << empty_schema.err;
    EXPECT_EQ(omxml({"read", doc, "a@b/c"}).status, 2);
    SKIP_ON_WINDOWS("file names cannot hold control characters there");
    write("tree/bad\x1fname.xml", "<a>");
    EXPECT_EQ(omxml({"validate", "-q", "--junit", m_dir + "/report.xml", m_dir + "/tree"}).status, 1);
    const std::string junit = slurp(m_dir + "/report.xml");
    EXPECT_NE(junit.find("bad?name.xml"), std::string::npos) << junit;
}
