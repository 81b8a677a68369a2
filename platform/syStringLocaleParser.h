#pragma once

#include "omxmlExport.h"

#include "platform/syString.h"

// Outcome of a locale parse: whether a number was read, where the parse
// stopped, and the number read.
template <class T>
class syStringLocaleParseResult {
public:
    syStringLocaleParseResult(bool success, syStringPos position, T result)
        : m_success(success), m_position(position), m_result(result) {}
    bool success() const { return m_success; }
    syStringPos position() const { return m_position; }
    T result() const { return m_result; }

private:
    bool m_success;
    syStringPos m_position;
    T m_result;
};

// Parse a number at the start of a syString by the process's current
// LC_NUMERIC locale. Leading blanks are not accepted; the parse stops at the
// first character that cannot continue the number. Callers that want the
// whole string compare position() with the string's end().
class OMXML_PLATFORM_API syStringLocaleIntParser {
public:
    syStringLocaleParseResult<int> parse(const syString& text) const;
};

class OMXML_PLATFORM_API syStringLocaleDoubleParser {
public:
    syStringLocaleParseResult<double> parse(const syString& text) const;
};
