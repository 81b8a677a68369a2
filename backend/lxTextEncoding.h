#pragma once

/// @file
/// Text in a named encoding turned into UTF-8.

#include "omxmlExport.h"

#include <string>

/// Text in a named character encoding turned into UTF-8 by the converters of
/// the libxml2 back-end (its own and the system's). True, with utf8 filled,
/// when the encoding is known, keeps ASCII as ASCII (so "UTF-16" does not:
/// text that a byte-oriented reader read cannot be in it) and the text is
/// valid in it. UTF-8 itself is checked, not changed.
OMXML_BACKEND_API bool lx_ascii_compatible_to_utf8(const std::string& encoding, const std::string& text,
                                                   std::string& utf8);
