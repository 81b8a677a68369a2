// The tool on Windows and POSIX systems alike, run with an argument vector:
// file names outside ASCII reach it whole, "/..." is an expression and not an
// option, and its output is the same bytes everywhere (no CR before LF).
#include "cli/cli_fixture.h"

namespace {

using ToolArguments = CliFixture;

TEST_F(ToolArguments, NamesOutsideAsciiAndSlashExpressionsReachTheTool) {
    const std::string file =
        write("caf\xC3\xA9 \xD1\x84\xF0\x9F\x98\x80.xml",
              "<?xml version=\"1.0\"?>\n<order>\n<line sku=\"A\xC3\xA9\"/><line sku=\"B\"/></order>");
    CliRun select = omxml({"select", "//@sku", file});
    EXPECT_EQ(select.status, 0) << select.err;
    EXPECT_EQ(select.out, "sku=\"A\xC3\xA9\"\nsku=\"B\"\n");
    CliRun read = omxml({"read", file, "order/line@sku"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "A\xC3\xA9\nB\n");
}

} // namespace
