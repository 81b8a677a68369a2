#include "platform/syStringLocaleParser.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>

namespace {

bool starts_with_blank(const syString& text) { return text.empty() || std::iswspace(static_cast<wint_t>(text[0])); }

} // namespace

syStringLocaleParseResult<int> syStringLocaleIntParser::parse(const syString& text) const {
    if (starts_with_blank(text))
        return {false, text.begin_pos(), 0};
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    errno = 0;
    long value = std::wcstol(begin, &end, 10);
    std::size_t stop = static_cast<std::size_t>(end - begin);
    if (stop == 0)
        return {false, text.begin_pos(), 0};
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return {false, syStringPos(stop), 0};
    return {true, syStringPos(stop), static_cast<int>(value)};
}

syStringLocaleParseResult<double> syStringLocaleDoubleParser::parse(const syString& text) const {
    if (starts_with_blank(text))
        return {false, text.begin_pos(), 0.0};
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    errno = 0;
    double value = std::wcstod(begin, &end);
    std::size_t stop = static_cast<std::size_t>(end - begin);
    if (stop == 0)
        return {false, text.begin_pos(), 0.0};
    // Overflow is a failure; underflow to a tiny or zero value is a number.
    if (errno == ERANGE && (value == HUGE_VAL || value == -HUGE_VAL))
        return {false, syStringPos(stop), 0.0};
    return {true, syStringPos(stop), value};
}
