// The pull reader on hostile files: every prefix of a realistic configuration
// file, NUL bytes, very deep nesting, a huge attribute value, a directory and
// an unreadable file. Each case has one exact outcome: a clean walk with the
// right values, or false/neutral results with the recorded error texts.

#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "hostile_support.h"
#include "platform/syPath.h"
#include "reader/omXmlFactory.h"

namespace {

const std::string kEndError = "omEndException:: Xml reader moved of the end of the file\n";
std::string char_error(char expected) {
    return std::string("omCharException:: Xml file did not contain expected char ") + expected + "\n";
}

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

// What a configuration client reads, in its order; attributes that are not
// there read as "?".
omValues walk_config(omAbstractXmlReader& reader) {
    omValues values;
    const kuString none = ku_lit("?");
    auto attribute = [&](const char* name) { values.emplace_back(name, str(reader.attribute(ku(name), none))); };
    auto text = [&](const char* label) { values.emplace_back(label, str(reader.text_node())); };
    auto down = [&](const char* tag) {
        values.emplace_back(std::string("down ") + tag, reader.down_to(ku(tag)) ? "1" : "0");
    };

    values.emplace_back("read", reader.read_file() ? "1" : "0");
    down("configuration");
    attribute("version");
    down("server");
    attribute("host");
    attribute("port");
    attribute("secure");
    down("name");
    text("name");
    reader.up();
    down("timeout");
    attribute("unit");
    text("timeout");
    reader.up();
    reader.up();
    down("database");
    attribute("driver");
    attribute("port");
    down("user");
    text("user");
    reader.up();
    down("pool");
    attribute("min");
    attribute("max");
    reader.up();
    reader.up();
    down("plugins");
    for (int i = 0; i < 5 && reader.down_to(ku_lit("plugin")); ++i) {
        attribute("name");
        attribute("enabled");
        reader.up();
    }
    reader.up();
    down("motd");
    text("motd");
    reader.up();
    reader.up();
    return values;
}

const omValues kConfigValues = {
    {"read", "1"},
    {"down configuration", "1"},
    {"version", "3"},
    {"down server", "1"},
    {"host", "app.example.org"},
    {"port", "8443"},
    {"secure", "true"},
    {"down name", "1"},
    {"name", "Orders &amp; billing"},
    {"down timeout", "1"},
    {"unit", "s"},
    {"timeout", "30"},
    {"down database", "1"},
    {"driver", "pg"},
    {"port", "5432"},
    {"down user", "1"},
    {"user", "orders"},
    {"down pool", "1"},
    {"min", "2"},
    {"max", "16"},
    {"down plugins", "1"},
    {"name", "audit"},
    {"enabled", "yes"},
    {"name", "metrics"},
    {"enabled", "no"},
    {"name", "spell"},
    {"enabled", "yes"},
    {"down motd", "1"},
    {"motd", "Welcome <everyone>!"},
};

// The two texts with one NUL byte between them.
std::string with_nul(const std::string& before, const std::string& after) { return before + '\0' + after; }

bool starts_with_known_error(const std::string& dump) {
    for (const char* start : {"omEndException:: ", "omCharException:: ", "omTagException:: ", "Incorrect xml nesting"})
        if (dump.rfind(start, 0) == 0)
            return true;
    return false;
}

} // namespace

TEST(HostileReader, CompleteConfigurationWalksCleanly) {
    omTempDir dir;
    auto reader = reader_at(dir.write("config.xml", kConfig));
    EXPECT_EQ(walk_config(*reader), kConfigValues);
    EXPECT_FALSE(reader->has_error_occurred());
    EXPECT_EQ(dumped(*reader), "");
}

// Every prefix of the file, from empty to all but its last byte. The prefix
// that ends with the root's closing tag is the whole document and walks
// cleanly (the final line break is not needed). Every shorter one records an
// error, and every value read is either the right one or the neutral answer
// ("?", "" or "0"); nothing else is ever made up.
TEST(HostileReader, EveryTruncationRecordsAnErrorAndNeverInventsValues) {
    omTempDir dir;
    const std::string config = kConfig;
    for (std::size_t n = 0; n < config.size(); ++n) {
        SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
        std::string path = dir.write("cut.xml", config.substr(0, n));
        auto reader = reader_at(path);
        omValues values = walk_config(*reader);
        if (n == config.rfind('>') + 1) {
            EXPECT_EQ(values, kConfigValues);
            EXPECT_EQ(dumped(*reader), "");
            continue;
        }
        ASSERT_TRUE(reader->has_error_occurred());
        std::string dump = dumped(*reader);
        ASSERT_TRUE(starts_with_known_error(dump)) << dump;
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

TEST(HostileReader, EmptyFileFailsOnTheDeclaration) {
    omTempDir dir;
    auto reader = reader_at(dir.write("empty.xml", ""));
    EXPECT_FALSE(reader->read_file());
    EXPECT_EQ(dumped(*reader), char_error('<'));
}

// The reader's buffer ends at its first NUL: a NUL inside the file is an end of file.
TEST(HostileReader, NulBytesActAsTheEndOfTheFile) {
    omTempDir dir;
    {
        auto reader = reader_at(dir.write("text.xml", with_nul("<?xml version=\"1.0\"?>\n<a>be", "fore</a>\n")));
        ASSERT_TRUE(reader->read_file());
        ASSERT_TRUE(reader->down_to(ku_lit("a")));
        EXPECT_EQ(str(reader->text_node()), "");
        EXPECT_EQ(dumped(*reader), kEndError);
    }
    {
        auto reader =
            reader_at(dir.write("attribute.xml", with_nul("<?xml version=\"1.0\"?>\n<a x=\"1", "\" y=\"2\"></a>\n")));
        ASSERT_TRUE(reader->read_file());
        EXPECT_FALSE(reader->down_to(ku_lit("a")));
        EXPECT_EQ(str(reader->attribute(ku_lit("y"), ku_lit("?"))), "?");
        EXPECT_EQ(dumped(*reader), kEndError);
    }
    {
        auto reader = reader_at(dir.write("before_root.xml", with_nul("<?xml version=\"1.0\"?>", "<a/>\n")));
        ASSERT_TRUE(reader->read_file());
        EXPECT_FALSE(reader->down_to(ku_lit("a")));
        EXPECT_EQ(dumped(*reader), kEndError);
    }
    {
        auto reader = reader_at(dir.write("declaration.xml", with_nul("<?xml version=\"1.", "\"?><a/>\n")));
        EXPECT_FALSE(reader->read_file());
        EXPECT_EQ(dumped(*reader), kEndError);
    }
    {
        auto reader = reader_at(dir.write("zeros.xml", std::string(4096, '\0')));
        EXPECT_FALSE(reader->read_file());
        EXPECT_FALSE(reader->down_to(ku_lit("a")));
        EXPECT_EQ(dumped(*reader), char_error('<'));
    }
}

namespace {
const int kDeep = 100000;
std::string deep_nest(bool closed) {
    std::string text;
    text.reserve(kDeep * 7 + 16);
    for (int i = 0; i < kDeep; ++i)
        text += "<d>";
    text += "x";
    if (closed)
        for (int i = 0; i < kDeep; ++i)
            text += "</d>";
    return text;
}
} // namespace

TEST(HostileReader, HundredThousandDeepNestingIsEnteredAndStepped) {
    omTempDir dir;
    auto reader = reader_at(dir.write("deep.xml", "<?xml version=\"1.0\"?>\n" + deep_nest(true) + "\n"));
    ASSERT_TRUE(reader->read_file());
    int entered = 0;
    while (entered < kDeep + 1 && reader->down_to(ku_lit("d")))
        ++entered;
    EXPECT_EQ(entered, kDeep);
    EXPECT_EQ(str(reader->text_node()), "x");
    for (int i = 0; i < 10; ++i)
        reader->up();
    // The element left last was the only child of its parent.
    EXPECT_FALSE(reader->down_to(ku_lit("e")));
    EXPECT_FALSE(reader->has_error_occurred());
    EXPECT_EQ(dumped(*reader), "");
}

// Looking for a sibling steps over the whole deep element in one pass.
TEST(HostileReader, HundredThousandDeepElementIsSkipped) {
    omTempDir dir;
    auto reader =
        reader_at(dir.write("deep.xml", "<?xml version=\"1.0\"?>\n<r>" + deep_nest(true) + "<after v=\"1\"/></r>\n"));
    ASSERT_TRUE(reader->read_file());
    ASSERT_TRUE(reader->down_to(ku_lit("r")));
    ASSERT_TRUE(reader->down_to(ku_lit("after")));
    EXPECT_EQ(str(reader->attribute(ku_lit("v"), ku_lit("?"))), "1");
    reader->up();
    reader->up();
    EXPECT_FALSE(reader->has_error_occurred());
    EXPECT_EQ(dumped(*reader), "");
}

TEST(HostileReader, HundredThousandDeepUnclosedNestingRunsOffTheEnd) {
    omTempDir dir;
    auto reader = reader_at(dir.write("deep.xml", "<?xml version=\"1.0\"?>\n<r>" + deep_nest(false)));
    ASSERT_TRUE(reader->read_file());
    ASSERT_TRUE(reader->down_to(ku_lit("r")));
    EXPECT_FALSE(reader->down_to(ku_lit("after")));
    EXPECT_EQ(dumped(*reader), kEndError);
}

TEST(HostileReader, FiftyMegabyteAttributeValueIsReadWhole) {
    const std::size_t size = 50u * 1000 * 1000;
    omTempDir dir;
    std::string text = "<?xml version=\"1.0\"?>\n<r big=\"";
    text.append(size, 'v');
    text += "\" small=\"s\">t</r>\n";
    auto reader = reader_at(dir.write("big.xml", text));
    text.clear();
    text.shrink_to_fit();
    ASSERT_TRUE(reader->read_file());
    ASSERT_TRUE(reader->down_to(ku_lit("r")));
    kuString big = reader->attribute(ku_lit("big"), ku_lit("?"));
    ASSERT_EQ(static_cast<std::size_t>(big.length()), size);
    EXPECT_EQ(std::string(big.c_str(), 16), std::string(16, 'v'));
    EXPECT_EQ(big[big.length() - 1], 'v');
    EXPECT_EQ(str(reader->attribute(ku_lit("small"), ku_lit("?"))), "s");
    EXPECT_EQ(str(reader->text_node()), "t");
    reader->up();
    EXPECT_FALSE(reader->has_error_occurred());
}

TEST(HostileReader, FiftyMegabyteUnclosedAttributeRunsOffTheEnd) {
    omTempDir dir;
    std::string text = "<?xml version=\"1.0\"?>\n<r big=\"";
    text.append(50u * 1000 * 1000, 'v');
    auto reader = reader_at(dir.write("big.xml", text));
    ASSERT_TRUE(reader->read_file());
    EXPECT_FALSE(reader->down_to(ku_lit("r")));
    EXPECT_EQ(str(reader->attribute(ku_lit("big"), ku_lit("?"))), "?");
    EXPECT_EQ(dumped(*reader), kEndError);
}

// A path the reader cannot read gives read_file false and records nothing:
// there is no text whose error could be explained. Later walking finds
// nothing to enter.
TEST(HostileReader, DirectoryIsNotRead) {
    omTempDir dir;
    auto reader = reader_at(dir.path());
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->read_file());
    EXPECT_FALSE(reader->has_error_occurred());
    EXPECT_FALSE(reader->down_to(ku_lit("r")));
    EXPECT_EQ(dumped(*reader), "");
    EXPECT_EQ(str(reader->encoding()), "Unknown");
}

TEST(HostileReader, MissingFileIsNotRead) {
    omTempDir dir;
    auto reader = reader_at(dir.path() + "/absent.xml");
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->read_file());
    EXPECT_FALSE(reader->has_error_occurred());
    EXPECT_FALSE(reader->down_to(ku_lit("r")));
    EXPECT_EQ(dumped(*reader), "");
}

// Permission bits do not stop root, so the reading runs in a child that has
// given up root's privileges first.
TEST(HostileReader, UnreadableFileIsNotRead) {
    omTempDir dir;
    std::string path = dir.write("secret.xml", "<?xml version=\"1.0\"?>\n<r v=\"secret\"/>\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    int status = run_in_child([&] {
        if (!drop_privileges())
            return kCannotDropPrivileges;
        auto reader = reader_at(path);
        if (!reader)
            return 1;
        if (reader->read_file())
            return 2;
        if (reader->has_error_occurred() || !dumped(*reader).empty())
            return 3;
        if (reader->down_to(ku_lit("r")))
            return 4;
        return 0;
    });
    if (status == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot give up root's privileges here, and root reads any file";
    EXPECT_EQ(status, 0);
}
