#pragma once

/// @file
/// The narrow string kuString with its shared, counted buffer.

#include "omxmlExport.h"

#include <atomic>
#include <cstddef>
#include <iosfwd>

/// Counted buffer shared by copies of a kuString. The characters follow the
/// header in the same allocation, NUL-terminated.
struct OMXML_PLATFORM_API kuRef {
    /// The number of strings sharing the buffer.
    std::atomic<int> count;
    /// The number of characters.
    int length;

    /// The characters, which follow this header.
    char* chars() { return reinterpret_cast<char*>(this + 1); }
    /// A buffer for length characters and a NUL, with a count of 1.
    static kuRef* make(int length);
    /// Drops one count of ref (which may be null); the last frees it.
    static void release(kuRef* ref);
};

struct OMXML_PLATFORM_API kuStringArray {};
struct OMXML_PLATFORM_API kuStringLit {};

/// Narrow string with a shared, atomically counted buffer. A string over a
/// literal (kuStringLit, ku_lit) points at the literal and owns nothing.
/// A string never given a value is invalid(); it reads as empty.
/// Threads: any number of threads may read one string at once; copies on
/// different threads share a buffer safely (its count is atomic).
class OMXML_PLATFORM_API kuString {
public:
    kuString() = default;
    /// A copy of the NUL-terminated text; null gives an invalid string.
    kuString(const char* text);
    /// A copy of the n characters at text (which may hold NULs).
    kuString(kuStringArray, const char* text, int n);
    /// A string over the n characters of literal, which must outlive it; nothing is copied.
    kuString(kuStringLit, const char* literal, int n) : m_data(literal), m_length(n), m_ref(nullptr) {}
    /// A string over the NUL-terminated literal, which must outlive it; nothing is copied.
    kuString(kuStringLit, const char* literal);
    /// n characters at data, NUL-terminated inside ref's buffer: many strings
    /// in one buffer. The string takes over one count of ref that the caller
    /// holds, and gives it back when destroyed.
    kuString(kuRef* ref, const char* data, int n) : m_data(data), m_length(n), m_ref(ref) {}
    /// Shares other's buffer (its count goes up by one).
    kuString(const kuString& other);
    /// Takes other's buffer; other becomes invalid.
    kuString(kuString&& other) noexcept;
    /// Shares other's buffer and releases its own.
    kuString& operator=(const kuString& other);
    /// Takes other's buffer and releases its own.
    kuString& operator=(kuString&& other) noexcept;
    /// Releases its share of the buffer.
    ~kuString();

    /// A new string: this one followed by other.
    kuString operator+(const kuString& other) const;
    /// Appends other (into a new buffer of its own).
    kuString& operator+=(const kuString& other);

    /// <0, 0 or >0 as for strcmp; case_compare ignores ASCII case.
    int compare(const kuString& other) const;
    /// As compare, ignoring ASCII case.
    int case_compare(const kuString& other) const;
    /// True when both hold the same characters (an invalid string equals an empty one).
    bool operator==(const kuString& other) const;
    /// The opposite of operator==.
    bool operator!=(const kuString& other) const { return !(*this == other); }

    /// The number of characters.
    int length() const { return m_length; }
    /// Character i (0 .. length() - 1); unchecked.
    char operator[](int i) const { return m_data[i]; }
    /// The characters, NUL-terminated; "" for an invalid string.
    const char* c_str() const { return m_data ? m_data : ""; }
    /// True for a string never given a value.
    bool invalid() const { return m_data == nullptr; }

    /// Number of kuString objects sharing this buffer (0 for literals and
    /// invalid strings); for tests and diagnostics.
    int share_count() const;

private:
    void assign_new(const char* a, int na, const char* b, int nb);

    const char* m_data = nullptr;
    int m_length = 0;
    kuRef* m_ref = nullptr;
};

template <std::size_t N>
/// A string over a string literal; nothing is copied or allocated.
kuString ku_lit(const char (&literal)[N]) {
    return kuString(kuStringLit(), literal, static_cast<int>(N - 1));
}

/// Writes the characters of s.
OMXML_PLATFORM_API std::ostream& operator<<(std::ostream& out, const kuString& s);
