// The tool on Windows and POSIX systems alike, run with an argument vector:
// file names outside ASCII reach it whole, "/..." is an expression and not an
// option, and its output is the same bytes everywhere (no CR before LF).
#include "cli/cli_fixture.h"
#include "cli/tool_run.h"
#include "support.h"

namespace {

CliRun tool(const TempDir& dir, const std::vector<std::string>& args) {
    int status = run_tool(args, dir.file("out.txt"), dir.file("err.txt"));
    return {status, read_bytes(dir.file("out.txt")), read_bytes(dir.file("err.txt"))};
}

TEST(ToolArguments, NamesOutsideAsciiAndSlashExpressionsReachTheTool) {
    TempDir dir;
    const std::string file =
        dir.write("caf\xC3\xA9 \xD1\x84\xF0\x9F\x98\x80.xml",
                  "<?xml version=\"1.0\"?>\n<order>\n<line sku=\"A\xC3\xA9\"/><line sku=\"B\"/></order>");
    CliRun select = tool(dir, {"select", "//@sku", file});
    EXPECT_EQ(select.status, 0) << select.err;
    EXPECT_EQ(select.out, "sku=\"A\xC3\xA9\"\nsku=\"B\"\n");
    CliRun read = tool(dir, {"read", file, "order/line@sku"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "A\xC3\xA9\nB\n");
}

} // namespace
