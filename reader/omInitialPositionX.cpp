#include "reader/omInitialPositionX.h"

kuString omInitialPositionX::attribute_value(const kuString& name) {
    skip_string(name);
    skip_char('=');
    char quote = read_char();
    kuString value = read_string_to_char(quote);
    skip_char(quote);
    return value;
}

kuString omInitialPositionX::version() {
    m_current = m_object_start;
    skip_string(ku_lit("<?xml"));
    skip_whitespace();
    return attribute_value(ku_lit("version"));
}

kuString omInitialPositionX::encoding() {
    version();
    skip_whitespace();
    kuString result;
    if (is_char('e'))
        result = attribute_value(ku_lit("encoding"));
    if (result.length() == 0)
        result = ku_lit("utf-8");
    return result;
}

kuString omInitialPositionX::standalone() {
    encoding();
    skip_whitespace();
    if (is_char('s'))
        return attribute_value(ku_lit("standalone"));
    return ku_lit("no");
}

char* omInitialPositionX::end_point() {
    m_current = m_object_start;
    read_string_to_char('>');
    skip_char('>');
    skip_whitespace();
    while (is_comment()) {
        skip_comment();
        skip_whitespace();
    }
    return m_current;
}
