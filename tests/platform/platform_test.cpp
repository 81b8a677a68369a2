// Strings, formatting, paths, files, the service registry and the unit-test
// harness. Number parsing is tested through the typed attribute accessors.

#include "platform/kuService.h"
#include "platform/qcDynArr.h"
#include "platform/syQfsFile.h"
#include "platform/syStringFormatter.h"
#include "support.h"

namespace {

std::wstring decoded(const std::string& bytes, std::size_t n) { return syString::from_utf8(bytes.data(), n).wstr(); }

TEST(SyString, Utf8BothWays) {
    const syString text(sySTRING_L, L"a\u00A0b \u0444%20\u07FF\u0800\uFFFF\U00010000\U0001F600");
    const std::string utf8 = "a\xC2\xA0"
                             "b \xD1\x84%20\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF0\x9F\x98\x80";
    EXPECT_EQ(text.to_utf8(), utf8);
    EXPECT_TRUE(syString::from_utf8(utf8) == text);
    // Malformed input: each byte that starts no whole character becomes U+FFFD.
    const std::pair<std::string, std::wstring> bad[] = {
        {"a\xC3(", L"a\uFFFD("},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},                    // overlong '/'
        {"\xE0\x9F\xBF", L"\uFFFD\uFFFD\uFFFD"},          // overlong U+07FF
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},          // a surrogate
        {"\xF0\x8F\xBF\xBF", std::wstring(4, L'\uFFFD')}, // overlong U+FFFF
        {"\xF4\x90\x80\x80", std::wstring(4, L'\uFFFD')}, // beyond U+10FFFF
    };
    for (const auto& [bytes, expected] : bad)
        EXPECT_EQ(decoded(bytes, bytes.size()), expected) << bytes;
    // A sequence cut short by the length is not completed from the bytes beyond it.
    EXPECT_EQ(decoded("\xE2\x82\xAC", 2), L"\uFFFD\uFFFD");
    // A lone surrogate is written as U+FFFD.
    EXPECT_EQ(syString(std::wstring(1, static_cast<wchar_t>(0xD800))).to_utf8(), "\xEF\xBF\xBD");
}

TEST(SyString, SearchAndReplace) {
    const syString text = SYSTRING("aaa.b");
    EXPECT_TRUE(text.replace_all(SYSTRING("aa"), SYSTRING("x")) == SYSTRING("xa.b"));
    EXPECT_TRUE(text.replace_all(SYSTRING(""), SYSTRING("x")) == text);
    EXPECT_TRUE(text.find_substring(SYSTRING("zz")) == text.end());
    EXPECT_TRUE(text.find_substring(SYSTRING(".")) != text.end());
}

TEST(KuString, Comparisons) {
    EXPECT_EQ(ku("ABZ").case_compare(ku("abz")), 0);
    EXPECT_LT(ku("abc").case_compare(ku("ABD")), 0);
    EXPECT_GT(ku("abcd").compare(ku("abc")), 0);
    EXPECT_TRUE(kuString().invalid());
    EXPECT_EQ(kuString(), kuString(""));
    EXPECT_FALSE(kuString(kuStringArray(), "abc", 0).invalid());
}

TEST(SyStringFormatter, TextsAndNumbers) {
    EXPECT_TRUE(syStringFormatter::format(L"%s_%d.%s", syString(sySTRING_L, L"./save \u0444"), 4242, L"xml") ==
                syString(sySTRING_L, L"./save \u0444_4242.xml"));
    EXPECT_TRUE(syStringFormatter::format(L"%u|%d|%5s|%-3s|[%.0s]|%%", 4294967295u, -5, L"ab", L"c", L"abc") ==
                SYSTRING("4294967295|-5|   ab|c  |[]|%"));
    EXPECT_TRUE(syStringFormatter::format(L"%.16g|%.16g", 1.0 / 3, 1e20) == SYSTRING("0.3333333333333333|1e+20"));
    // A point in every locale, also where the separator is a comma or two bytes long.
    for (const char* name : {"de_DE.UTF-8", "ps_AF.UTF-8"}) {
        NumericLocale locale(name);
        if (!locale.active())
            GTEST_SKIP() << name << " is not installed (scripts/deps.sh generates it)";
        EXPECT_TRUE(syStringFormatter::format(L"%.16g", 2.5) == SYSTRING("2.5")) << name;
    }
}

TEST(SyPath, ExoticNamesFilesAndBuffers) {
    TempDir dir;
    for (const char* name :
         {"a b.xml", "nb\xC2\xA0sp.xml", "pct%20.xml", "\xD1\x84.xml", "caf\xC3\xA9\xF0\x9F\x98\x80.xml"}) {
        syPath path(wide(dir.file(name)));
        EXPECT_FALSE(path.exists());
        EXPECT_NE(path.delete_file(), 0) << "deleting a missing file is no failure";
        std::FILE* fp = path.file_open(path.write_mode());
        ASSERT_NE(fp, nullptr);
        std::fclose(fp);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{name});
        EXPECT_EQ(str(path.path()), dir.file(name));
        EXPECT_NE(path.delete_file(), 0);
        EXPECT_FALSE(path.exists());
    }
    syQfsFileStdio existing(kuString(dir.write("x", "abc").c_str()), syQfsRead);
    EXPECT_EQ(existing.seek(2, 0), 0);
    EXPECT_EQ(existing.seek(-3, 1), -1) << "before the start";
    EXPECT_EQ(existing.position(), 2);
    charqcDynArr buffer;
    buffer[3] = 'x';
    EXPECT_EQ(buffer.count(), 4);
    for (const std::string& name : {dir.file("missing.xml"), dir.path()}) {
        syQfsFileStdio file(kuString(name.c_str()), syQfsRead);
        EXPECT_FALSE(file.is_open()) << name;
        EXPECT_EQ(file.seek(0, 2), -1);
        EXPECT_EQ(file.position(), -1);
    }
}

class NamedService : public kuService {};

TEST(KuService, LookUpByExactAndShorterNames) {
    kuServiceName name(kuString("a.b.c"));
    std::vector<std::string> seen;
    for (; !name.invalid(); name.dequalify())
        seen.emplace_back(name.name().c_str());
    EXPECT_EQ(seen, (std::vector<std::string>{"a.b.c", "a.b", "a"}));
    auto service = std::make_shared<NamedService>();
    kuService::get_instance()->register_service(kuServiceName(kuString("Test.Registry")), service);
    kuService::get_instance()->register_service(kuServiceName(kuString("Test.Registry")), nullptr);
    EXPECT_EQ(service.use_count(), 1) << "an emptied name still holds the service";
}

TEST(KuUnitTest, ReportsCountsAndAssertionExpectations) {
    kuUnitTest plain;
    ::testing::internal::CaptureStdout();
    plain.utest_handler(0, "x == 1", "source/utest/X", 7, "the check", "X::f");
    plain.utest_handler(1, "y", "source/utest/X", 8, "another", "X::f");
    plain.print_summary(stdout);
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "FAILED source/utest/X:7 X::f: the check [x == 1]\n1 passed, 1 failed\n");
    AssertCounter counter;
    RecordingTester tester;
    tester.expect_assert_min(1);
    SY_ASSERT(1 + 1 == 3);
    tester.check_assert();
    tester.expect_assert_min(1);
    tester.check_assert();
    SY_ASSERT(2 + 2 == 5);
    EXPECT_EQ(counter.count(), 1) << "after check_assert the earlier hook counts again";
    ASSERT_EQ(tester.reports.size(), 2u);
    EXPECT_EQ(tester.reports[0].pass, 1);
    EXPECT_EQ(tester.reports[1].pass, 0);
    EXPECT_EQ(tester.reports[1].description, "expected at least 1 assertion(s), 0 raised");
    // Formatted descriptions outlive later formatting.
    const char* outer = kuUnitTest::build_varargs("load from %s", "outer");
    for (int i = 0; i < 1000; ++i)
        kuUnitTest::build_varargs("node %d", i);
    EXPECT_STREQ(outer, "load from outer");
}

} // namespace
