#pragma once

#include "omxmlExport.h"

#include <cstdint>

#include "platform/syString.h"

// What went wrong in a failed load, and where. invalid() is true while the
// record holds no error, so callers test error.invalid() for success.
class OMXML_API omParseError {
public:
    omParseError() = default;
    explicit omParseError(const syString& message) : m_message(message), m_invalid(false) {}
    omParseError(const omParseError& other) = default;
    omParseError& operator=(const omParseError& other) = default;
    ~omParseError() = default;

    syString message() const { return m_message; }
    syString url() const { return m_url; }
    void set_url(const syString& url) { m_url = url; }
    int line_number() const { return m_line_number; }
    void set_line_number(int line) { m_line_number = line; }
    int column_number() const { return m_column_number; }
    void set_column_number(int column) { m_column_number = column; }
    bool invalid() const { return m_invalid; }

private:
    syString m_message;
    syString m_url;
    std::int32_t m_line_number = -1;
    std::int32_t m_column_number = -1;
    bool m_invalid = true;
};
