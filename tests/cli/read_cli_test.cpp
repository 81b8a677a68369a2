// omxml read, run as a child process on files the tests write.
#include "cli/cli_fixture.h"

namespace {

using ReadCli = CliFixture;

const char* const kConfig = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<!-- application settings -->\n"
                            "<configuration>\n"
                            "  <database host=\"db.local\" port='5432'>\n"
                            "    <name>orders</name>\n"
                            "  </database>\n"
                            "  <database host=\"backup.local\">\n"
                            "    <name>archive</name>\n"
                            "  </database>\n"
                            "  <feature name=\"a\"/>\n"
                            "  <feature/>\n"
                            "  <feature name=\"c\"/>\n"
                            "</configuration>\n";

} // namespace

TEST_F(ReadCli, PrintsWhatPathsNameOrExplainsWhyNot) {
    const std::string app = write("app.xml", kConfig);
    const Args fonts = args("read", m_dir + "/fonts.conf", "fontconfig/dir");
    const std::string at = m_dir + "/fonts.conf:";
    const std::string cannot = ": the simple reader cannot read it: ";
    const std::string select =
        "; 'omxml select' reads any well-formed document: omxml select '/fontconfig/dir' '" + m_dir + "/fonts.conf'\n";
    const std::string no_declaration =
        "it does not begin with an XML declaration (<?xml version=\"1.0\"?>), which the reader needs";
    const struct {
        std::string text; // written to fonts.conf first, when not empty
        Args argv;
        int status;
        std::string out;
        std::string err; // the end of stderr
    } cases[] = {
        {"", args("read", app, "configuration/database/name"), 0, "orders\narchive\n", ""},
        {"",
         args("read", app, "configuration/database@host", "configuration/database@port", "configuration/feature@name"),
         0, "db.local\nbackup.local\n5432\na\nc\n", ""},
        // A path that finds nothing is said, and the others still print.
        {"", args("read", app, "configuration/server/port", "configuration/feature@name", "configuration@id"), 1,
         "a\nc\n",
         "omxml read: " + app + ": configuration/server/port not found\nomxml read: " + app +
             ": configuration@id not found\n"},
        {"", args("read", app, "settings/database"), 1, "",
         "omEndException:: Xml reader moved of the end of the file\nomxml read: " + app +
             ": no root element 'settings' found\n"},
        {"", args("read", m_dir + "/absent.xml", "configuration"), 2, "",
         m_dir + "/absent.xml: cannot read: No such file or directory\n"},
        {"", args("read", app), 2, "", "PATH is required (see 'omxml read --help')\n"},
        {"", args("read", app, "configuration//name"), 2, "",
         "malformed path 'configuration//name' (see 'omxml read --help')\n"},
        {"", args("read", app, "configuration@"), 2, "", "malformed path 'configuration@' (see 'omxml read --help')\n"},
        {"<?xml version=\"1.0\"?>\n<fontconfig><a>1</b></fontconfig>\n", fonts, 1, "",
         "omTagException:: Something wrong with tag a\n"},
        {"<?xml encoding=\"utf-8\"?>\n<fontconfig/>\n", fonts, 1, "",
         "omCharException:: Xml file did not contain expected char v\n"},
        // Printed in UTF-8 whatever the declared encoding.
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><fontconfig><dir a=\"\xE9\">caf\xE9</dir></fontconfig>",
         args("read", m_dir + "/fonts.conf", "fontconfig/dir", "fontconfig/dir@a"), 0, "caf\xC3\xA9\n\xC3\xA9\n", ""},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><fontconfig><dir>\x80</dir></fontconfig>", fonts, 0,
         "\xE2\x82\xAC\n", ""},
        {"<?xml version=\"1.0\"?><fontconfig><dir>\xE9t\xC3\xA9</dir></fontconfig>", fonts, 0,
         "\xEF\xBF\xBDt\xC3\xA9\n", ": bytes that are not valid utf-8 are printed as U+FFFD\n"},
        // Outside the reader's subset: one line with where, the cause and the command that reads the file.
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><dir>d</dir></fontconfig>",
         fonts, 1, "",
         at + "2:1" + cannot + "a document type declaration (<!DOCTYPE ...>) stands before the root element" + select},
        {"<?xml version=\"1.0\"?>\n  <!-- c -->  <?xml-stylesheet href=\"s.css\"?><fontconfig/>", fonts, 1, "",
         at + "2:15" + cannot + "a processing instruction (<?...?>) stands before the root element" + select},
        {"<!-- c --><?xml version=\"1.0\"?><fontconfig/>", fonts, 1, "", at + "1:1" + cannot + no_declaration + select},
        {"\n<?xml version=\"1.0\"?><fontconfig/>", fonts, 1, "", at + "1:1" + cannot + no_declaration + select},
        {"<fontconfig/>", fonts, 1, "", at + "1:1" + cannot + no_declaration + select},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?><fontconfig/>", fonts, 1, "",
         at + "1:1" + cannot + "it begins with a byte-order mark" + select},
        {std::string("\xFF\xFE<\0f\0/\0>\0", 10), fonts, 1, "",
         at + "1:1" + cannot + "it is encoded in UTF-16" + select},
    };
    for (const auto& c : cases) {
        if (!c.text.empty())
            write("fonts.conf", c.text);
        CliRun r = omxml(c.argv);
        const std::string what = ::testing::PrintToString(c.argv);
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_EQ(r.out, c.out) << what;
        EXPECT_TRUE(r.err.size() >= c.err.size() &&
                    r.err.compare(r.err.size() - c.err.size(), c.err.size(), c.err) == 0)
            << what << "\n"
            << r.err;
        if (c.err.find(select) != std::string::npos) { // the explanation stands alone
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        }
    }
    // The reader refuses "utf-16" in every capitalisation, and each is explained.
    for (const char* spelling : {"utf-16", "UTF-16", "Utf-16", "uTf-16"}) {
        write("fonts.conf", std::string("<?xml version=\"1.0\" encoding='") + spelling + "'?>\n<fontconfig/>");
        CliRun r = omxml(fonts);
        EXPECT_EQ(r.status, 1) << spelling;
        EXPECT_EQ(r.err, at + "1:21" + cannot + "it is declared as UTF-16 (encoding='" + spelling +
                             "'), which the reader does not read" + select);
    }
}
