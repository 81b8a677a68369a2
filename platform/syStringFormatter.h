#pragma once

#include "omxmlExport.h"

#include <cstddef>

#include "platform/syString.h"

// One argument of syStringFormatter::format, captured with its type.
class OMXML_PLATFORM_API syFormatArg {
public:
    enum Kind { None, Signed, Unsigned, Double, WideText, NarrowText };

    syFormatArg() = default;
    syFormatArg(int v) : m_kind(Signed), m_signed(v) {}
    syFormatArg(long v) : m_kind(Signed), m_signed(v) {}
    syFormatArg(long long v) : m_kind(Signed), m_signed(v) {}
    syFormatArg(unsigned v) : m_kind(Unsigned), m_unsigned(v) {}
    syFormatArg(unsigned long v) : m_kind(Unsigned), m_unsigned(v) {}
    syFormatArg(unsigned long long v) : m_kind(Unsigned), m_unsigned(v) {}
    syFormatArg(double v) : m_kind(Double), m_double(v) {}
    syFormatArg(const wchar_t* v) : m_kind(WideText), m_wide(v ? v : L"") {}
    syFormatArg(const syString& v) : m_kind(WideText), m_wide(v.c_str()) {}
    // Narrow text is taken as UTF-8.
    syFormatArg(const char* v) : m_kind(NarrowText), m_narrow(v ? v : "") {}

    Kind kind() const { return m_kind; }
    long long as_signed() const { return m_signed; }
    unsigned long long as_unsigned() const { return m_unsigned; }
    double as_double() const { return m_double; }
    const wchar_t* as_wide() const { return m_wide; }
    const char* as_narrow() const { return m_narrow; }

private:
    Kind m_kind = None;
    long long m_signed = 0;
    unsigned long long m_unsigned = 0;
    double m_double = 0.0;
    const wchar_t* m_wide = nullptr;
    const char* m_narrow = nullptr;
};

// printf-style formatting into a syString. The format is wide and "%s" takes a
// wide text (a syString or a wchar_t pointer). Numbers are written as in the
// "C" locale: a point is the decimal separator whatever LC_NUMERIC says.
// Arguments are typed, so a mismatch cannot read garbage: a value given for
// another conversion is written in its own natural form.
class OMXML_PLATFORM_API syStringFormatter {
public:
    template <class... Args>
    static syString format(const wchar_t* format, const Args&... args) {
        const syFormatArg list[] = {syFormatArg(args)..., syFormatArg()};
        return vformat(format, list, sizeof...(Args));
    }

    template <class... Args>
    static syString format(const syString& format, const Args&... args) {
        return syStringFormatter::format(format.c_str(), args...);
    }

    static syString vformat(const wchar_t* format, const syFormatArg* args, std::size_t count);
};
