#pragma once

#include <cstdio>

#include "platform/kuString.h"
#include "platform/syString.h"

// Optional collaborators of a path; the stand-in uses neither.
class syIFileOps;
class syIStringEncoding;

// A file path. The text is kept as given and handed to the file system as
// UTF-8 (on Windows as UTF-16), character for character: blanks, U+00A0, '%'
// and letters outside ASCII pass through unchanged.
class syPath {
public:
    syPath() = default;
    syPath(const syString& text, const syIFileOps* ops = nullptr, const syIStringEncoding* encoding = nullptr);

    bool exists() const;
    // Non-zero on success, and when there was no file to delete.
    int delete_file() const;
    // An open stream, or null when the file cannot be opened.
    std::FILE* file_open(const char* mode) const;
    const char* write_mode() const { return "wb"; }
    const char* read_mode() const { return "rb"; }

    kuString path() const;
    const syString& text() const { return m_text; }
    bool empty() const { return m_text.empty(); }

private:
    syString m_text;
};
