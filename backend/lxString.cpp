#include "backend/lxString.h"

#include <cstring>

namespace {

// Length of the UTF-8 sequence that starts with lead, or 0 for a byte that
// cannot start one.
std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

syString lxString::from_xml(const xmlChar* text) {
    if (!text)
        return syString();
    return from_xml(reinterpret_cast<const char*>(text), std::strlen(reinterpret_cast<const char*>(text)));
}

syString lxString::from_xml(const char* text, std::size_t n) {
    std::wstring out;
    out.reserve(n);
    std::size_t left = append(out, text, n);
    if (left)
        out.append(left, static_cast<wchar_t>(0xFFFD));
    return syString(std::move(out));
}

std::size_t lxString::append(std::wstring& out, const char* text, std::size_t n) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < n) {
        // Most text is ASCII: widen runs of it without decoding.
        std::size_t run = i;
        while (run < n && s[run] < 0x80)
            ++run;
        if (run > i) {
            out.append(s + i, s + run);
            i = run;
            if (i == n)
                break;
        }
        std::size_t length = sequence_length(s[i]);
        if (length == 0) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        unsigned long cp = s[i] & (length == 2 ? 0x1Fu : length == 3 ? 0x0Fu : 0x07u);
        std::size_t k = 1;
        while (k < length && i + k < n && (s[i + k] & 0xC0) == 0x80) {
            cp = (cp << 6) | (s[i + k] & 0x3Fu);
            ++k;
        }
        if (k < length) {
            if (i + k == n)
                return n - i; // the sequence continues in the next piece
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (cp >> 10));
                out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
                i += length;
                continue;
            }
        }
        out += static_cast<wchar_t>(cp);
        i += length;
    }
    return 0;
}
