#include "platform/syString.h"

#include <cstdint>
#include <cstring>
#include <ostream>

namespace {

void append_utf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void append_wide(std::wstring& out, unsigned long cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

} // namespace

syString::syString(syStringLiteral, const wchar_t* text) : m_text(text ? text : L"") {}

syString::syString(syStringSafeASCIIMarker, const char* text)
    : syString(syStringSafeASCII, text, text ? std::strlen(text) : 0) {}

syString::syString(syStringSafeASCIIMarker, const char* text, std::size_t n) {
    m_text.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        m_text += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
}

syString& syString::operator=(const syString& other) {
    if (this != &other) {
        m_text = other.m_text;
        forget_utf8();
    }
    return *this;
}

syString& syString::operator=(syString&& other) noexcept {
    if (this != &other) {
        m_text = std::move(other.m_text);
        delete m_utf8.exchange(other.m_utf8.exchange(nullptr, std::memory_order_relaxed), std::memory_order_acq_rel);
    }
    return *this;
}

syString& syString::operator+=(const syString& other) {
    m_text += other.m_text;
    forget_utf8();
    return *this;
}

void syString::forget_utf8() { delete m_utf8.exchange(nullptr, std::memory_order_acquire); }

syString syString::from_utf8(const char* text, std::size_t n) {
    std::wstring out;
    out.reserve(n);
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < n) {
        unsigned char c = s[i];
        if (c < 0x80) {
            out += static_cast<wchar_t>(c);
            ++i;
            continue;
        }
        int extra = c >= 0xF0 ? (c <= 0xF4 ? 3 : -1) : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
        unsigned long cp = extra == 3 ? (c & 0x07u) : extra == 2 ? (c & 0x0Fu) : (c & 0x1Fu);
        bool ok = extra > 0 && n - i > static_cast<std::size_t>(extra);
        for (int k = 1; ok && k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (s[i + k] & 0x3Fu);
        }
        if (ok && ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                   (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))))
            ok = false;
        if (!ok) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        append_wide(out, cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return syString(std::move(out));
}

std::string syString::to_utf8() const {
    std::string out;
    out.reserve(m_text.size());
    for (std::size_t i = 0; i < m_text.size(); ++i) {
        unsigned long cp = static_cast<std::uint32_t>(m_text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < m_text.size()) {
                unsigned long lo = static_cast<std::uint32_t>(m_text[i + 1]);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        append_utf8(out, cp);
    }
    return out;
}

const char* syString::convert(syStringEncoding) const {
    const std::string* text = m_utf8.load(std::memory_order_acquire);
    if (!text) {
        // Readers that race here each convert; the first to publish wins.
        auto* made = new std::string(to_utf8());
        if (m_utf8.compare_exchange_strong(text, made, std::memory_order_acq_rel, std::memory_order_acquire)) {
            text = made;
        } else {
            delete made;
        }
    }
    return text->c_str();
}

syStringPos syString::find_substring(const syString& s) const {
    std::size_t at = m_text.find(s.m_text);
    return syStringPos(at == std::wstring::npos ? m_text.size() : at);
}

syString syString::replace_all(const syString& from, const syString& to) const {
    if (from.m_text.empty())
        return *this;
    std::wstring out;
    out.reserve(m_text.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t at = m_text.find(from.m_text, pos);
        if (at == std::wstring::npos)
            break;
        out.append(m_text, pos, at - pos);
        out += to.m_text;
        pos = at + from.m_text.size();
    }
    out.append(m_text, pos, std::wstring::npos);
    return syString(std::move(out));
}

std::ostream& operator<<(std::ostream& out, const syString& s) { return out << s.to_utf8(); }
