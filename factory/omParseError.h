#pragma once

/// @file
/// The record of a failed load.

#include "omxmlExport.h"

#include <cstdint>

#include "platform/syString.h"

/// What went wrong in a failed load, and where. invalid() is true while the
/// record holds no error, so callers test error.invalid() for success.
class OMXML_API omParseError {
public:
    /// A record holding no error: invalid() is true.
    omParseError() = default;
    /// A record of an error explained by message; url, line and column unknown (-1).
    explicit omParseError(const syString& message) : m_message(message), m_invalid(false) {}
    /// A copy.
    omParseError(const omParseError& other) = default;
    /// Copies other.
    omParseError& operator=(const omParseError& other) = default;
    /// Destroys the record.
    ~omParseError() = default;

    /// What went wrong; empty while no error is held.
    syString message() const { return m_message; }
    /// The document or schema the error is in, when known; otherwise empty.
    syString url() const { return m_url; }
    /// Sets the location.
    void set_url(const syString& url) { m_url = url; }
    /// The line of the error (from 1), or -1 when unknown.
    int line_number() const { return m_line_number; }
    /// Sets the line.
    void set_line_number(int line) { m_line_number = line; }
    /// The column of the error (from 1), or -1 when unknown.
    int column_number() const { return m_column_number; }
    /// Sets the column.
    void set_column_number(int column) { m_column_number = column; }
    /// True while the record holds no error: a load succeeded.
    bool invalid() const { return m_invalid; }

private:
    syString m_message;
    syString m_url;
    std::int32_t m_line_number = -1;
    std::int32_t m_column_number = -1;
    bool m_invalid = true;
};
