#include "reader/omAbstractXmlReader.h"

#include <ostream>

omAbstractXmlReader::~omAbstractXmlReader() = default;

kuString omAbstractXmlReader::encoding() { return ku_lit("Unknown"); }

void omAbstractXmlReader::dump_error(std::ostream&) const {}

bool omAbstractXmlReader::matches_utf8(const kuString& name) {
    return name == ku_lit("UTF-8") || name == ku_lit("utf-8") || name == ku_lit("UTF8") || name == ku_lit("utf8");
}

bool omAbstractXmlReader::matches_utf16(const kuString& name) {
    return name == ku_lit("UTF-16") || name == ku_lit("utf-16") || name == ku_lit("UTF16") || name == ku_lit("utf16");
}

bool omAbstractXmlReader::is_safe_ascii(const kuString& text) {
    for (int i = 0; i < text.length(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 || c == '\\' || c == '{' || c == '}')
            return false;
    }
    return true;
}
