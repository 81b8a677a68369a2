// omUtestUtils: process-unique file names and the replacing file writer with
// its two prerequisite reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "suites/omUtestUtils.h"
#include "tests/suites/suite_harness.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(UtestUtils, UniquifyKeepsTheBaseAndAppendsProcessIdAndExtension) {
    const syString base = SYSTRING("./odd\u00A0name with %20 and \u0444");
    const syPath path = omUtestUtils::uniquify_filename(base, SYSTRING("xsd"));
    const std::wstring expected = base.wstr() + L"_" + std::to_wstring(::getpid()) + L".xsd";
    EXPECT_EQ(path.text().wstr(), expected);
}

class WriteData : public ::testing::Test {
protected:
    SuiteWorkspace workspace;
    RecordingTester tester;
};

TEST_F(WriteData, WritesAndReplacesTheWholeContentReportingNothing) {
    const syPath path(SYSTRING("./twice.xml"));
    omUtestUtils::write_data(path, "a much longer first content");
    omUtestUtils::write_data(path, "<a>\n\xC3\xA9</a>");
    EXPECT_EQ(read_file("twice.xml"), "<a>\n\xC3\xA9</a>");
    EXPECT_TRUE(tester.reports().empty());
}

TEST_F(WriteData, UnopenableOrUndeletableFilesAreFailedPrerequisites) {
    omUtestUtils::write_data(syPath(SYSTRING("./no/such/dir/file.xml")), "<a/>");
    ASSERT_EQ(tester.reports().size(), 1u);
    const RecordedReport& r = tester.reports()[0];
    EXPECT_EQ(r.pass, 0);
    EXPECT_EQ(r.expression, "fp");
    EXPECT_EQ(r.description, "Prerequisite: unable to open file");
    EXPECT_EQ(r.function, "omUtestUtils::write_data");
    // A directory in the way can be neither deleted nor opened for writing.
    fs::create_directories("busy.xml/inside");
    omUtestUtils::write_data(syPath(SYSTRING("./busy.xml")), "<a/>");
    ASSERT_EQ(tester.reports().size(), 3u);
    EXPECT_EQ(tester.reports()[1].description, "Prerequisite: delete existing file");
    EXPECT_EQ(tester.reports()[1].pass, 0);
    EXPECT_EQ(tester.reports()[2].expression, "fp");
}

} // namespace
