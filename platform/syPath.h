#pragma once

/// @file
/// The file path syPath.

#include "omxmlExport.h"

#include <cstdio>

#include "platform/kuString.h"
#include "platform/syString.h"

/// Optional collaborators of a path; the stand-in uses neither.
class syIFileOps;
class syIStringEncoding;

/// A file path. The text is kept as given and handed to the file system as
/// UTF-8 (on Windows as UTF-16), character for character: blanks, U+00A0, '%'
/// and letters outside ASCII pass through unchanged.
class OMXML_PLATFORM_API syPath {
public:
    /// An empty path.
    syPath() = default;
    /// The path text; ops and encoding are accepted and ignored.
    syPath(const syString& text, const syIFileOps* ops = nullptr, const syIStringEncoding* encoding = nullptr);

    /// True when something exists at the path.
    bool exists() const;
    /// Non-zero on success, and when there was no file to delete.
    int delete_file() const;
    /// An open stream, or null when the file cannot be opened.
    std::FILE* file_open(const char* mode) const;
    /// The mode for file_open to write: "wb".
    const char* write_mode() const { return "wb"; }
    /// The mode for file_open to read: "rb".
    const char* read_mode() const { return "rb"; }

    /// The path as UTF-8, as handed to the file system.
    kuString path() const;
    /// The path as given.
    const syString& text() const { return m_text; }
    /// True for an empty path.
    bool empty() const { return m_text.empty(); }

private:
    syString m_text;
};
