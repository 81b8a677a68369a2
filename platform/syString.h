#pragma once

/// @file
/// The wide string syString and its positions.

#include "omxmlExport.h"

#include <atomic>
#include <cstddef>
#include <iosfwd>
#include <string>

/// Marker of the wide-literal constructor: syString(sySTRING_L, L"...").
enum syStringLiteral { sySTRING_L };
/// Marker of the constructor from a narrow buffer holding only ASCII.
enum syStringSafeASCIIMarker { syStringSafeASCII };
/// Encodings that convert() can produce.
enum syStringEncoding { syStringUTF8 };

/// A syString from a narrow string literal written as a wide one: SYSTRING("abc").
#define SYSTRING(text) syString(sySTRING_L, L##text)

/// A position inside a syString; end() is one past the last character.
class OMXML_PLATFORM_API syStringPos {
public:
    /// Position 0.
    syStringPos() = default;
    /// Position index.
    explicit syStringPos(std::size_t index) : m_index(index) {}
    /// The index of the position.
    std::size_t index() const { return m_index; }
    /// True for the same position.
    bool operator==(const syStringPos& other) const { return m_index == other.m_index; }
    /// True for different positions.
    bool operator!=(const syStringPos& other) const { return m_index != other.m_index; }

private:
    std::size_t m_index = 0;
};

/// The family's wide-character string. convert(syStringUTF8) gives real UTF-8
/// (code points above U+FFFF are encoded whole); the returned text stays valid
/// until the string is next changed or destroyed.
///
/// Threads: any number of threads may read one string at once, convert()
/// included (the first conversion is kept and shared); a thread that changes
/// a string needs it to itself.
class OMXML_PLATFORM_API syString {
public:
    /// An empty string.
    syString() = default;
    /// A copy of the wide text (SYSTRING); null gives an empty string.
    syString(syStringLiteral, const wchar_t* text);
    /// A copy of the NUL-terminated text, which must be ASCII.
    syString(syStringSafeASCIIMarker, const char* text);
    /// A copy of the n characters at text, which must be ASCII.
    syString(syStringSafeASCIIMarker, const char* text, std::size_t n);
    /// A copy of text.
    explicit syString(const std::wstring& text) : m_text(text) {}
    /// Takes text.
    explicit syString(std::wstring&& text) : m_text(std::move(text)) {}
    /// A copy of the text; the UTF-8 form is made again when asked for.
    syString(const syString& other) : m_text(other.m_text) {}
    /// Takes other's text and UTF-8 form.
    syString(syString&& other) noexcept
        : m_text(std::move(other.m_text)), m_utf8(other.m_utf8.exchange(nullptr, std::memory_order_relaxed)) {}
    /// Copies the text. Changes this string.
    syString& operator=(const syString& other);
    /// Takes other's text. Changes this string.
    syString& operator=(syString&& other) noexcept;
    /// Frees the text and its UTF-8 form.
    ~syString() { forget_utf8(); }

    /// Decodes UTF-8; malformed sequences become U+FFFD.
    static syString from_utf8(const char* text, std::size_t n);
    /// Decodes the UTF-8 text; malformed sequences become U+FFFD.
    static syString from_utf8(const std::string& text) { return from_utf8(text.data(), text.size()); }

    /// Non-zero when both hold the same characters.
    int operator==(const syString& other) const { return m_text == other.m_text; }
    /// Non-zero when the characters differ.
    int operator!=(const syString& other) const { return m_text != other.m_text; }
    /// Orders by character code.
    bool operator<(const syString& other) const { return m_text < other.m_text; }
    /// A new string: this one followed by other.
    syString operator+(const syString& other) const { return syString(m_text + other.m_text); }
    /// Appends other. Changes this string.
    syString& operator+=(const syString& other);

    /// The text in encoding (UTF-8), valid until the string is next changed or destroyed. Safe from many
    /// threads at once.
    const char* convert(syStringEncoding encoding) const;
    /// A copy of the text as UTF-8.
    std::string to_utf8() const;

    /// The number of wide characters.
    std::size_t length() const { return m_text.size(); }
    /// True when there is no character.
    bool empty() const { return m_text.empty(); }
    /// The wide characters, NUL-terminated.
    const wchar_t* c_str() const { return m_text.c_str(); }
    /// The wide characters.
    const std::wstring& wstr() const { return m_text; }
    /// Character i (0 .. length() - 1); unchecked.
    wchar_t operator[](std::size_t i) const { return m_text[i]; }

    /// The position of the first character.
    syStringPos begin_pos() const { return syStringPos(0); }
    /// The position after the last character.
    syStringPos end() const { return syStringPos(m_text.size()); }
    /// Where s first occurs, or end() when it does not.
    syStringPos find_substring(const syString& s) const;
    /// A copy with every occurrence of from replaced by to; an empty from replaces nothing.
    syString replace_all(const syString& from, const syString& to) const;

private:
    void forget_utf8();

    std::wstring m_text;
    /// The text convert() gave, made by the first call and never changed after.
    mutable std::atomic<const std::string*> m_utf8{nullptr};
};

/// Writes s as UTF-8.
OMXML_PLATFORM_API std::ostream& operator<<(std::ostream& out, const syString& s);
