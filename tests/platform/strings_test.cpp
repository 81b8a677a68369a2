#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/kuString.h"
#include "platform/syString.h"
#include "platform/syStringFormatter.h"
#include "platform/syStringLocaleParser.h"

namespace {

// Switches LC_NUMERIC for one test and restores it afterwards.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) : m_saved(std::setlocale(LC_NUMERIC, nullptr)) {
        m_ok = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, m_saved.c_str()); }
    bool ok() const { return m_ok; }

private:
    std::string m_saved;
    bool m_ok = false;
};

const char* comma_locale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        NumericLocale probe(name);
        if (probe.ok())
            return name;
    }
    return nullptr;
}

} // namespace

TEST(KuString, CopiesShareOneBufferThatOutlivesTheSource) {
    auto* source = new kuString("shared text");
    kuString copy(*source);
    EXPECT_EQ(copy.c_str(), source->c_str());
    EXPECT_EQ(copy.share_count(), 2);
    delete source;
    EXPECT_EQ(copy.share_count(), 1);
    EXPECT_STREQ(copy.c_str(), "shared text");
}

TEST(KuString, LiteralsAreNotCopied) {
    static const char text[] = "literal";
    kuString s = ku_lit(text);
    EXPECT_EQ(s.c_str(), text);
    EXPECT_EQ(s.length(), 7);
    EXPECT_EQ(s.share_count(), 0);
    kuString copy = s;
    EXPECT_EQ(copy.c_str(), text);
}

TEST(KuString, InvalidUntilGivenAValue) {
    kuString never;
    EXPECT_TRUE(never.invalid());
    EXPECT_EQ(never, kuString(""));
    EXPECT_FALSE(kuString("").invalid());
    EXPECT_FALSE(kuString(kuStringArray(), "abc", 0).invalid());
}

TEST(SyString, Utf8RoundTripKeepsNonAsciiLetters) {
    const syString text(sySTRING_L, L"a\u00A0b \u0444%20\U0001F600");
    std::string utf8 = text.convert(syStringUTF8);
    EXPECT_EQ(utf8, "a\xC2\xA0"
                    "b \xD1\x84%20\xF0\x9F\x98\x80");
    EXPECT_TRUE(syString::from_utf8(utf8) == text);
}

TEST(SyString, MalformedUtf8BecomesReplacementCharacters) {
    syString s = syString::from_utf8(std::string("a\xC3(\xE2\x82\xF0\x9F\x98", 7));
    EXPECT_EQ(s[0], L'a');
    EXPECT_EQ(s[1], L'\uFFFD');
    EXPECT_EQ(s[2], L'(');
    EXPECT_EQ(s.to_utf8().find('\xC3'), std::string::npos);
    // Overlong encodings and surrogates are refused too.
    EXPECT_EQ(syString::from_utf8(std::string("\xC0\xAF")).wstr(), std::wstring(L"\uFFFD\uFFFD"));
    EXPECT_EQ(syString::from_utf8(std::string("\xED\xA0\x80")).length(), 3u);
}

TEST(SyStringFormatter, PercentSTakesWideText) {
    syString base(sySTRING_L, L"./save \u0444");
    syString out = syStringFormatter::format(L"%s_%d.%s", base, 4242, L"xml");
    EXPECT_TRUE(out == syString(sySTRING_L, L"./save \u0444_4242.xml"));
    EXPECT_TRUE(syStringFormatter::format(L"%u|%d|%5s|%-3s|%%", 4294967295u, -5, L"ab", L"c") ==
                SYSTRING("4294967295|-5|   ab|c  |%"));
}

TEST(SyStringFormatter, NumbersUseAPointInEveryLocale) {
    EXPECT_TRUE(syStringFormatter::format(L"%.16g", 0.1) == SYSTRING("0.1"));
    EXPECT_TRUE(syStringFormatter::format(L"%.16g", 1.0 / 3) == SYSTRING("0.3333333333333333"));
    EXPECT_TRUE(syStringFormatter::format(L"%.16g", 1e20) == SYSTRING("1e+20"));
    const char* name = comma_locale();
    if (!name)
        GTEST_SKIP() << "no locale with a comma decimal separator is installed";
    NumericLocale comma(name);
    EXPECT_TRUE(syStringFormatter::format(L"%.16g", 1.5) == SYSTRING("1.5"));
}

TEST(SyStringLocaleParser, WholeStringRule) {
    const syString twelve(sySTRING_L, L"12abc");
    auto r = syStringLocaleIntParser().parse(twelve);
    EXPECT_TRUE(r.success());
    EXPECT_EQ(r.result(), 12);
    EXPECT_TRUE(r.position() != twelve.end());

    const syString minus(sySTRING_L, L"-5");
    auto m = syStringLocaleIntParser().parse(minus);
    EXPECT_TRUE(m.success() && m.position() == minus.end() && m.result() == -5);

    EXPECT_FALSE(syStringLocaleIntParser().parse(SYSTRING("")).success());
    EXPECT_FALSE(syStringLocaleIntParser().parse(SYSTRING(" 5")).success());
    EXPECT_FALSE(syStringLocaleIntParser().parse(SYSTRING("99999999999")).success());
    EXPECT_FALSE(syStringLocaleDoubleParser().parse(SYSTRING("1e999")).success());
}

TEST(SyStringLocaleParser, DoublesFollowLcNumeric) {
    const syString point(sySTRING_L, L"1.5");
    auto p = syStringLocaleDoubleParser().parse(point);
    EXPECT_TRUE(p.success() && p.position() == point.end());
    EXPECT_DOUBLE_EQ(p.result(), 1.5);

    const char* name = comma_locale();
    if (!name)
        GTEST_SKIP() << "no locale with a comma decimal separator is installed";
    NumericLocale comma(name);
    const syString with_comma(sySTRING_L, L"1,5");
    auto c = syStringLocaleDoubleParser().parse(with_comma);
    EXPECT_TRUE(c.success() && c.position() == with_comma.end());
    EXPECT_DOUBLE_EQ(c.result(), 1.5);
    auto q = syStringLocaleDoubleParser().parse(point);
    EXPECT_TRUE(q.position() != point.end()) << "a point does not continue a number under a comma locale";
}
