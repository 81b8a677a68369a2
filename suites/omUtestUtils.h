#pragma once

/// @file
/// File utilities of the conformance suites.

#include "omxmlExport.h"

#include "platform/syPath.h"
#include "platform/syString.h"

/// File utilities of the conformance suites: data files named uniquely for the
/// running process.
class OMXML_API omUtestUtils {
public:
    omUtestUtils() = delete;

    /// base + "_" + process id + "." + extension, as a plain path.
    static syPath uniquify_filename(const syString& base, const syString& extension);
    /// Replaces the file at path by the bytes of text (up to its NUL); a file
    /// that cannot be deleted or opened is reported to the harness.
    static void write_data(const syPath& path, const char* text);
};
