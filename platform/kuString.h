#pragma once

#include "omxmlExport.h"

#include <atomic>
#include <cstddef>
#include <iosfwd>

// Counted buffer shared by copies of a kuString. The characters follow the
// header in the same allocation, NUL-terminated.
struct OMXML_PLATFORM_API kuRef {
    std::atomic<int> count;
    int length;

    char* chars() { return reinterpret_cast<char*>(this + 1); }
    static kuRef* make(int length);
    static void release(kuRef* ref);
};

struct OMXML_PLATFORM_API kuStringArray {};
struct OMXML_PLATFORM_API kuStringLit {};

// Narrow string with a shared, atomically counted buffer. A string over a
// literal (kuStringLit, ku_lit) points at the literal and owns nothing.
// A string never given a value is invalid(); it reads as empty.
// Threads: any number of threads may read one string at once; copies on
// different threads share a buffer safely (its count is atomic).
class OMXML_PLATFORM_API kuString {
public:
    kuString() = default;
    kuString(const char* text);
    kuString(kuStringArray, const char* text, int n);
    kuString(kuStringLit, const char* literal, int n) : m_data(literal), m_length(n), m_ref(nullptr) {}
    kuString(kuStringLit, const char* literal);
    // n characters at data, NUL-terminated inside ref's buffer: many strings
    // in one buffer. The string takes over one count of ref that the caller
    // holds, and gives it back when destroyed.
    kuString(kuRef* ref, const char* data, int n) : m_data(data), m_length(n), m_ref(ref) {}
    kuString(const kuString& other);
    kuString(kuString&& other) noexcept;
    kuString& operator=(const kuString& other);
    kuString& operator=(kuString&& other) noexcept;
    ~kuString();

    kuString operator+(const kuString& other) const;
    kuString& operator+=(const kuString& other);

    // <0, 0 or >0 as for strcmp; case_compare ignores ASCII case.
    int compare(const kuString& other) const;
    int case_compare(const kuString& other) const;
    bool operator==(const kuString& other) const;
    bool operator!=(const kuString& other) const { return !(*this == other); }

    int length() const { return m_length; }
    char operator[](int i) const { return m_data[i]; }
    const char* c_str() const { return m_data ? m_data : ""; }
    bool invalid() const { return m_data == nullptr; }

    // Number of kuString objects sharing this buffer (0 for literals and
    // invalid strings); for tests and diagnostics.
    int share_count() const;

private:
    void assign_new(const char* a, int na, const char* b, int nb);

    const char* m_data = nullptr;
    int m_length = 0;
    kuRef* m_ref = nullptr;
};

template <std::size_t N>
kuString ku_lit(const char (&literal)[N]) {
    return kuString(kuStringLit(), literal, static_cast<int>(N - 1));
}

OMXML_PLATFORM_API std::ostream& operator<<(std::ostream& out, const kuString& s);
