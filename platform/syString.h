#pragma once

#include "omxmlExport.h"

#include <atomic>
#include <cstddef>
#include <iosfwd>
#include <string>

// Marker of the wide-literal constructor: syString(sySTRING_L, L"...").
enum syStringLiteral { sySTRING_L };
// Marker of the constructor from a narrow buffer holding only ASCII.
enum syStringSafeASCIIMarker { syStringSafeASCII };
// Encodings that convert() can produce.
enum syStringEncoding { syStringUTF8 };

#define SYSTRING(text) syString(sySTRING_L, L##text)

// A position inside a syString; end() is one past the last character.
class OMXML_PLATFORM_API syStringPos {
public:
    syStringPos() = default;
    explicit syStringPos(std::size_t index) : m_index(index) {}
    std::size_t index() const { return m_index; }
    bool operator==(const syStringPos& other) const { return m_index == other.m_index; }
    bool operator!=(const syStringPos& other) const { return m_index != other.m_index; }

private:
    std::size_t m_index = 0;
};

// The family's wide-character string. convert(syStringUTF8) gives real UTF-8
// (code points above U+FFFF are encoded whole); the returned text stays valid
// until the string is next changed or destroyed.
//
// Threads: any number of threads may read one string at once, convert()
// included (the first conversion is kept and shared); a thread that changes
// a string needs it to itself.
class OMXML_PLATFORM_API syString {
public:
    syString() = default;
    syString(syStringLiteral, const wchar_t* text);
    syString(syStringSafeASCIIMarker, const char* text);
    syString(syStringSafeASCIIMarker, const char* text, std::size_t n);
    explicit syString(const std::wstring& text) : m_text(text) {}
    explicit syString(std::wstring&& text) : m_text(std::move(text)) {}
    syString(const syString& other) : m_text(other.m_text) {}
    syString(syString&& other) noexcept
        : m_text(std::move(other.m_text)), m_utf8(other.m_utf8.exchange(nullptr, std::memory_order_relaxed)) {}
    syString& operator=(const syString& other);
    syString& operator=(syString&& other) noexcept;
    ~syString() { forget_utf8(); }

    // Decodes UTF-8; malformed sequences become U+FFFD.
    static syString from_utf8(const char* text, std::size_t n);
    static syString from_utf8(const std::string& text) { return from_utf8(text.data(), text.size()); }

    int operator==(const syString& other) const { return m_text == other.m_text; }
    int operator!=(const syString& other) const { return m_text != other.m_text; }
    bool operator<(const syString& other) const { return m_text < other.m_text; }
    syString operator+(const syString& other) const { return syString(m_text + other.m_text); }
    syString& operator+=(const syString& other);

    const char* convert(syStringEncoding encoding) const;
    std::string to_utf8() const;

    std::size_t length() const { return m_text.size(); }
    bool empty() const { return m_text.empty(); }
    const wchar_t* c_str() const { return m_text.c_str(); }
    const std::wstring& wstr() const { return m_text; }
    wchar_t operator[](std::size_t i) const { return m_text[i]; }

    syStringPos begin_pos() const { return syStringPos(0); }
    syStringPos end() const { return syStringPos(m_text.size()); }
    syStringPos find_substring(const syString& s) const;
    syString replace_all(const syString& from, const syString& to) const;

private:
    void forget_utf8();

    std::wstring m_text;
    // The text convert() gave, made by the first call and never changed after.
    mutable std::atomic<const std::string*> m_utf8{nullptr};
};

OMXML_PLATFORM_API std::ostream& operator<<(std::ostream& out, const syString& s);
