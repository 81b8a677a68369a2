#include "backend/lxString.h"

#include <cstdint>
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
    // Decoded through a small buffer: appending a range of bytes to a wide
    // string would build a temporary string for every run.
    wchar_t chunk[1024];
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < n) {
        if (used > sizeof chunk / sizeof chunk[0] - 2) {
            out.append(chunk, used);
            used = 0;
        }
        unsigned char lead = s[i];
        if (lead < 0x80) {
            // Eight ASCII bytes at a time while the text stays ASCII.
            while (n - i >= 8 && used <= sizeof chunk / sizeof chunk[0] - 8) {
                std::uint64_t word;
                std::memcpy(&word, s + i, sizeof word);
                if (word & 0x8080808080808080ull)
                    break;
                for (int k = 0; k < 8; ++k)
                    chunk[used + k] = static_cast<wchar_t>(s[i + k]);
                used += 8;
                i += 8;
            }
            if (i < n && s[i] < 0x80 && used < sizeof chunk / sizeof chunk[0]) {
                chunk[used++] = static_cast<wchar_t>(s[i]);
                ++i;
            }
            continue;
        }
        std::size_t length = sequence_length(lead);
        if (length == 0) {
            chunk[used++] = static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        unsigned long cp = lead & (length == 2 ? 0x1Fu : length == 3 ? 0x0Fu : 0x07u);
        std::size_t k = 1;
        while (k < length && i + k < n && (s[i + k] & 0xC0) == 0x80) {
            cp = (cp << 6) | (s[i + k] & 0x3Fu);
            ++k;
        }
        if (k < length) {
            if (i + k == n) {
                out.append(chunk, used);
                return n - i; // the sequence continues in the next piece
            }
            chunk[used++] = static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
            chunk[used++] = static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                chunk[used++] = static_cast<wchar_t>(0xD800 + (cp >> 10));
                cp = 0xDC00 + (cp & 0x3FF);
            }
        }
        chunk[used++] = static_cast<wchar_t>(cp);
        i += length;
    }
    out.append(chunk, used);
    return 0;
}
