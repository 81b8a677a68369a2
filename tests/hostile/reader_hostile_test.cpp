// The pull reader on hostile files: every prefix of a realistic configuration
// file, NUL bytes, very deep nesting, a huge attribute value, a directory and
// an unreadable file. Each case has one exact outcome: a clean walk with the
// right values, or false/neutral results with the recorded error texts.

#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "hostile_support.h"
#include "platform/syPath.h"
#include "reader/omXmlFactory.h"

namespace {

const std::string kEndError = "omEndException:: Xml reader moved of the end of the file\n";
const std::string kCharError = "omCharException:: Xml file did not contain expected char <\n";

std::string str(const kuString& s) { return std::string(s.c_str(), static_cast<std::size_t>(s.length())); }
kuString ku(const std::string& s) { return kuString(kuStringArray(), s.data(), static_cast<int>(s.size())); }

std::unique_ptr<omAbstractXmlReader> reader_at(const std::string& path) {
    return omSimpleXmlFactory().create_xml_reader_path(3, syPath(wide(path)));
}

std::string dumped(const omAbstractXmlReader& reader) {
    std::ostringstream out;
    reader.dump_error(out);
    return out.str();
}

const char kConfig[] = R"(<?xml version="1.0" encoding="utf-8"?>
<!-- Order service -->
<configuration version="3">
  <server host="app.example.org" port="8443" secure="true">
    <name>Orders &amp; billing</name>
    <timeout unit="s">30</timeout>
  </server>
  <database driver="pg" host="db.internal" port="5432">
    <user>orders</user>
    <pool min="2" max="16"/>
  </database>
  <plugins>
    <plugin name="audit" enabled="yes"/>
    <plugin name="metrics" enabled="no"/>
    <plugin name="spell" enabled="yes"/>
  </plugins>
  <motd><![CDATA[Welcome <everyone>!]]></motd>
</configuration>
)";

using omValues = std::vector<std::pair<std::string, std::string>>;

// What a configuration client reads, in its order. The walk is a list of
// steps: "+tag" enters, "-" leaves, "@name" reads an attribute ("?" when
// absent), "=label" reads the text, "*" reads every plugin.
omValues walk_config(omAbstractXmlReader& reader) {
    omValues values{{"read", reader.read_file() ? "1" : "0"}};
    const kuString none = ku_lit("?");
    auto attribute = [&](const std::string& name) { values.emplace_back(name, str(reader.attribute(ku(name), none))); };
    for (const std::string step : {"+configuration", "@version", "+server",  "@host", "@port",    "@secure", "+name",
                                   "=name",          "-",        "+timeout", "@unit", "=timeout", "-",       "-",
                                   "+database",      "@driver",  "@port",    "+user", "=user",    "-",       "+pool",
                                   "@min",           "@max",     "-",        "-",     "+plugins", "*",       "-",
                                   "+motd",          "=motd",    "-",        "-"}) {
        if (step[0] == '+')
            values.emplace_back("down " + step.substr(1), reader.down_to(ku(step.substr(1))) ? "1" : "0");
        else if (step[0] == '@')
            attribute(step.substr(1));
        else if (step[0] == '=')
            values.emplace_back(step.substr(1), str(reader.text_node()));
        else if (step[0] == '-')
            reader.up();
        else
            for (int i = 0; i < 5 && reader.down_to(ku_lit("plugin")); ++i) {
                attribute("name");
                attribute("enabled");
                reader.up();
            }
    }
    return values;
}

// The values of the whole file, as "label=value" separated by '|'.
omValues config_values() {
    omValues values;
    std::istringstream in(
        "read=1|down configuration=1|version=3|down server=1|host=app.example.org|port=8443|secure=true|down "
        "name=1|name=Orders &amp; billing|down timeout=1|unit=s|timeout=30|down database=1|driver=pg|port=5432|down "
        "user=1|user=orders|down pool=1|min=2|max=16|down "
        "plugins=1|name=audit|enabled=yes|name=metrics|enabled=no|name=spell|enabled=yes|down motd=1|motd=Welcome "
        "<everyone>!");
    for (std::string item; std::getline(in, item, '|');)
        values.emplace_back(item.substr(0, item.find('=')), item.substr(item.find('=') + 1));
    return values;
}
const omValues kConfigValues = config_values();

} // namespace

// Every prefix of the file, from empty to whole. The whole file, and the
// prefix that ends with the root's closing tag, walk cleanly. Every shorter
// one records an error, and every value read is either the right one or the
// neutral answer ("?", "" or "0"); nothing else is ever made up.
TEST(HostileReader, EveryTruncationRecordsAnErrorAndNeverInventsValues) {
    omTempDir dir;
    const std::string config = kConfig;
    for (std::size_t n = 0; n <= config.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        auto reader = reader_at(dir.write("cut.xml", config.substr(0, n)));
        omValues values = walk_config(*reader);
        std::string dump = dumped(*reader);
        if (n >= config.rfind('>') + 1) {
            EXPECT_EQ(values, kConfigValues);
            EXPECT_FALSE(reader->has_error_occurred());
            EXPECT_EQ(dump, "");
            continue;
        }
        ASSERT_TRUE(reader->has_error_occurred());
        EXPECT_TRUE(n > 0 || dump == kCharError) << dump;
        bool known = false;
        for (const char* start :
             {"omEndException:: ", "omCharException:: ", "omTagException:: ", "Incorrect xml nesting"})
            known = known || dump.rfind(start, 0) == 0;
        ASSERT_TRUE(known) << dump;
        // Values come in the walk's order; a missing element can only cut the list short.
        std::size_t k = 0;
        for (const auto& [label, value] : values) {
            while (k < kConfigValues.size() && kConfigValues[k].first != label)
                ++k;
            ASSERT_LT(k, kConfigValues.size()) << label;
            bool neutral = value == "?" || value.empty() || value == "0";
            ASSERT_TRUE(value == kConfigValues[k].second || neutral) << label << " read as " << value;
            ++k;
        }
    }
}

// The reader's buffer ends at its first NUL: a NUL inside the file is an end
// of file. Each case: the text before and after the NUL, what read_file and
// down_to("a") return, the text of <a> ("-" when not read), and the dump.
TEST(HostileReader, NulBytesActAsTheEndOfTheFile) {
    struct Case {
        std::string before, after;
        bool read, down;
        std::string text, dump;
    };
    const std::string head = "<?xml version=\"1.0\"?>";
    const Case cases[] = {
        {head + "\n<a>be", "fore</a>\n", true, true, "", kEndError},
        {head + "\n<a x=\"1", "\" y=\"2\"></a>\n", true, false, "-", kEndError},
        {head, "<a/>\n", true, false, "-", kEndError},
        {"<?xml version=\"1.", "\"?><a/>\n", false, false, "-", kEndError},
        {"", std::string(4095, '\0'), false, false, "-", kCharError},
    };
    omTempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        auto reader = reader_at(dir.write("nul.xml", c.before + '\0' + c.after));
        EXPECT_EQ(reader->read_file(), c.read);
        EXPECT_EQ(reader->down_to(ku_lit("a")), c.down);
        EXPECT_TRUE(c.text == "-" || str(reader->text_node()) == c.text);
        EXPECT_EQ(str(reader->attribute(ku_lit("y"), ku_lit("?"))), "?");
        EXPECT_EQ(dumped(*reader), c.dump);
    }
}

// 100 000 nested elements: entered one by one, stepped over in one pass when
// looking for a sibling, and run off the end of when unclosed.
TEST(HostileReader, HundredThousandDeepNesting) {
    const int deep = 100000;
    std::string open, close;
    for (int i = 0; i < deep; ++i) {
        open += "<d>";
        close += "</d>";
    }
    const std::string head = "<?xml version=\"1.0\"?>\n<r>";
    omTempDir dir;
    auto reader = reader_at(dir.write("deep.xml", head + open + "x" + close + "<after v=\"1\"/></r>\n"));
    ASSERT_TRUE(reader->read_file());
    ASSERT_TRUE(reader->down_to(ku_lit("r")));
    int entered = 0;
    while (entered < deep + 1 && reader->down_to(ku_lit("d")))
        ++entered;
    EXPECT_EQ(entered, deep);
    EXPECT_EQ(str(reader->text_node()), "x");
    for (int i = 0; i < deep; ++i)
        reader->up();
    ASSERT_TRUE(reader->down_to(ku_lit("after")));
    EXPECT_EQ(str(reader->attribute(ku_lit("v"), ku_lit("?"))), "1");
    EXPECT_FALSE(reader->has_error_occurred());

    auto skipping = reader_at(dir.write("skip.xml", head + open + "x" + close + "<after v=\"2\"/></r>\n"));
    ASSERT_TRUE(skipping->read_file());
    ASSERT_TRUE(skipping->down_to(ku_lit("r")));
    ASSERT_TRUE(skipping->down_to(ku_lit("after")));
    EXPECT_EQ(str(skipping->attribute(ku_lit("v"), ku_lit("?"))), "2");
    EXPECT_EQ(dumped(*skipping), "");

    auto unclosed = reader_at(dir.write("open.xml", head + open + "x"));
    ASSERT_TRUE(unclosed->read_file());
    ASSERT_TRUE(unclosed->down_to(ku_lit("r")));
    EXPECT_FALSE(unclosed->down_to(ku_lit("after")));
    EXPECT_EQ(dumped(*unclosed), kEndError);
}

TEST(HostileReader, FiftyMegabyteAttributeValueIsReadWhole) {
    const std::size_t size = 50u * 1000 * 1000;
    omTempDir dir;
    std::string text = "<?xml version=\"1.0\"?>\n<r big=\"" + std::string(size, 'v') + "\" small=\"s\">t</r>\n";
    auto reader = reader_at(dir.write("big.xml", text));
    text = std::string();
    ASSERT_TRUE(reader->read_file());
    ASSERT_TRUE(reader->down_to(ku_lit("r")));
    kuString big = reader->attribute(ku_lit("big"), ku_lit("?"));
    ASSERT_EQ(static_cast<std::size_t>(big.length()), size);
    EXPECT_EQ(std::string(big.c_str(), 16), std::string(16, 'v'));
    EXPECT_EQ(big[big.length() - 1], 'v');
    EXPECT_EQ(str(reader->attribute(ku_lit("small"), ku_lit("?"))), "s");
    EXPECT_EQ(str(reader->text_node()), "t");
    EXPECT_FALSE(reader->has_error_occurred());
}

// A path the reader cannot read gives read_file false and records nothing:
// there is no text whose error could be explained. Permission bits do not
// stop root, so the unreadable file is read in a child without root's
// privileges.
TEST(HostileReader, DirectoryAndUnreadableFileAreNotRead) {
    omTempDir dir;
    auto reader = reader_at(dir.path());
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->read_file());
    EXPECT_FALSE(reader->has_error_occurred());
    EXPECT_FALSE(reader->down_to(ku_lit("r")));
    EXPECT_EQ(dumped(*reader), "");
    EXPECT_EQ(str(reader->encoding()), "Unknown");

    std::string path = dir.write("secret.xml", "<?xml version=\"1.0\"?>\n<r v=\"secret\"/>\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    int status = run_in_child([&] {
        if (!drop_privileges())
            return kCannotDropPrivileges;
        auto secret = reader_at(path);
        if (!secret || secret->read_file())
            return 1;
        return secret->has_error_occurred() || !dumped(*secret).empty() || secret->down_to(ku_lit("r")) ? 2 : 0;
    });
    if (status == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot give up root's privileges here, and root reads any file";
    EXPECT_EQ(status, 0);
}
