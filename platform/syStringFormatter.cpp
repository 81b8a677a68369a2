#include "platform/syStringFormatter.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Writes one number through snprintf with the given narrow conversion and
// puts a point in place of the locale's decimal separator.
template <class T>
void append_number(std::wstring& out, const std::string& conversion, T value, bool floating) {
    char small[128];
    int n = std::snprintf(small, sizeof small, conversion.c_str(), value);
    if (n < 0)
        return;
    std::string text;
    if (static_cast<std::size_t>(n) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(n));
    } else {
        text.resize(static_cast<std::size_t>(n) + 1);
        std::snprintf(&text[0], text.size(), conversion.c_str(), value);
        text.resize(static_cast<std::size_t>(n));
    }
    if (floating) {
        const char* point = std::localeconv()->decimal_point;
        if (point && *point && std::strcmp(point, ".") != 0) {
            std::size_t at = text.find(point);
            if (at != std::string::npos)
                text.replace(at, std::strlen(point), ".");
        }
    }
    for (char c : text)
        out += static_cast<wchar_t>(static_cast<unsigned char>(c));
}

void append_text(std::wstring& out, const std::wstring& text, bool left, int width, int precision) {
    std::size_t n = text.size();
    if (precision >= 0 && static_cast<std::size_t>(precision) < n)
        n = static_cast<std::size_t>(precision);
    std::size_t pad = width > 0 && static_cast<std::size_t>(width) > n ? static_cast<std::size_t>(width) - n : 0;
    if (!left)
        out.append(pad, L' ');
    out.append(text, 0, n);
    if (left)
        out.append(pad, L' ');
}

std::wstring natural_text(const syFormatArg& arg) {
    switch (arg.kind()) {
    case syFormatArg::Signed:
        return std::to_wstring(arg.as_signed());
    case syFormatArg::Unsigned:
        return std::to_wstring(arg.as_unsigned());
    case syFormatArg::Double: {
        std::wstring out;
        append_number(out, "%g", arg.as_double(), true);
        return out;
    }
    case syFormatArg::WideText:
        return arg.as_wide();
    case syFormatArg::NarrowText: {
        const char* s = arg.as_narrow();
        return syString::from_utf8(s, std::strlen(s)).wstr();
    }
    case syFormatArg::None:
        break;
    }
    return std::wstring();
}

} // namespace

syString syStringFormatter::vformat(const wchar_t* format, const syFormatArg* args, std::size_t count) {
    std::wstring out;
    if (!format)
        return syString();
    std::size_t next = 0;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        const wchar_t* start = p++;
        if (*p == L'%') {
            out += L'%';
            continue;
        }
        std::string conversion = "%";
        bool left = false;
        while (*p && std::wcschr(L"-+ #0", *p)) {
            left = left || *p == L'-';
            conversion += static_cast<char>(*p++);
        }
        int width = -1;
        if (*p == L'*') {
            width = next < count ? static_cast<int>(args[next++].as_signed()) : 0;
            ++p;
        } else {
            while (*p >= L'0' && *p <= L'9')
                width = (width < 0 ? 0 : width * 10) + (*p++ - L'0');
        }
        if (width >= 0)
            conversion += std::to_string(width);
        int precision = -1;
        if (*p == L'.') {
            ++p;
            precision = 0;
            if (*p == L'*') {
                precision = next < count ? static_cast<int>(args[next++].as_signed()) : 0;
                ++p;
            } else {
                while (*p >= L'0' && *p <= L'9')
                    precision = precision * 10 + (*p++ - L'0');
            }
            conversion += "." + std::to_string(precision);
        }
        while (*p && std::wcschr(L"hlLqjzt", *p))
            ++p;
        wchar_t conv = *p;
        if (!conv) {
            out.append(start, p);
            break;
        }
        if (next >= count)
            continue; // a conversion without an argument writes nothing
        const syFormatArg& arg = args[next++];
        switch (conv) {
        case L'd':
        case L'i':
            if (arg.kind() == syFormatArg::Signed || arg.kind() == syFormatArg::Unsigned)
                append_number(out, conversion + "lld",
                              arg.kind() == syFormatArg::Signed ? arg.as_signed()
                                                                : static_cast<long long>(arg.as_unsigned()),
                              false);
            else
                append_text(out, natural_text(arg), left, width, -1);
            break;
        case L'u':
        case L'x':
        case L'X':
        case L'o':
            if (arg.kind() == syFormatArg::Signed || arg.kind() == syFormatArg::Unsigned)
                append_number(out, conversion + "ll" + static_cast<char>(conv),
                              arg.kind() == syFormatArg::Unsigned ? arg.as_unsigned()
                                                                  : static_cast<unsigned long long>(arg.as_signed()),
                              false);
            else
                append_text(out, natural_text(arg), left, width, -1);
            break;
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G':
        case L'a':
        case L'A': {
            double v = arg.kind() == syFormatArg::Double     ? arg.as_double()
                       : arg.kind() == syFormatArg::Signed   ? static_cast<double>(arg.as_signed())
                       : arg.kind() == syFormatArg::Unsigned ? static_cast<double>(arg.as_unsigned())
                                                             : 0.0;
            if (arg.kind() == syFormatArg::WideText || arg.kind() == syFormatArg::NarrowText)
                append_text(out, natural_text(arg), left, width, -1);
            else
                append_number(out, conversion + static_cast<char>(conv), v, true);
            break;
        }
        case L'c':
            if (arg.kind() == syFormatArg::Signed || arg.kind() == syFormatArg::Unsigned)
                append_text(out, std::wstring(1, static_cast<wchar_t>(arg.as_signed())), left, width, -1);
            else
                append_text(out, natural_text(arg), left, width, -1);
            break;
        case L's':
        default:
            append_text(out, natural_text(arg), left, width, conv == L's' ? precision : -1);
            break;
        }
    }
    return syString(std::move(out));
}
