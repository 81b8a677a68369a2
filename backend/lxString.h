#pragma once

#include <cstddef>
#include <string>

#include <libxml/xmlstring.h>

#include "platform/syString.h"

// Conversions between the model's wide strings and libxml2's UTF-8.
class lxString {
public:
    static syString from_xml(const xmlChar* text);
    static syString from_xml(const char* text, std::size_t n);
    // Appends UTF-8 text to a wide string; returns how many trailing bytes
    // were left over because they start a sequence that continues later.
    static std::size_t append(std::wstring& out, const char* text, std::size_t n);
    static std::string to_xml(const syString& text) { return text.to_utf8(); }
    static const xmlChar* xml(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }
};
