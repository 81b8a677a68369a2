#include "dom/omNode.h"

#include <cstdio>
#include <cstring>

#include "dom/omElement.h"
#include "dom/omNamedNodeMap.h"
#include "dom/omProcessingInstruction.h"
#include "platform/syStringFormatter.h"
#include "platform/syStringLocaleParser.h"

namespace {

// Printed numbers are ASCII except for a separator that some locales write
// as a multi-byte UTF-8 sequence; those bytes must reach the parser as the
// one wide character it expects.
syString narrow_number_text(const char* text, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return syString::from_utf8(text, n);
    return syString(syStringSafeASCII, text, n);
}

// The decimal separator of the current numeric locale, as the standard
// library's formatted printing writes it between the digits of 1.2.
syString locale_decimal_separator() {
    char probe[16];
    int n = std::snprintf(probe, sizeof probe, "%2.1f", 1.2);
    if (n < 3 || static_cast<std::size_t>(n) >= sizeof probe)
        return syString(syStringSafeASCII, ".");
    // Everything between the leading "1" and the trailing "2".
    return narrow_number_text(probe + 1, static_cast<std::size_t>(n) - 2);
}

} // namespace

bool omNode::get_attribute(const syString& name, bool& value) const {
    syString text;
    if (!get_attribute(name, text))
        return false;
    if (text == SYSTRING("true") || text == SYSTRING("1")) {
        value = true;
        return true;
    }
    if (text == SYSTRING("false") || text == SYSTRING("0")) {
        value = false;
        return true;
    }
    return false;
}

bool omNode::get_attribute(const syString& name, syString& value) const {
    std::shared_ptr<omNamedNodeMap> attributes = getAttributes();
    if (!attributes)
        return false;
    std::shared_ptr<omNode> item = attributes->getNamedItem(name);
    if (!item)
        return false;
    value = item->getNodeValue();
    return true;
}

bool omNode::get_attribute(const syString& name, double& value) const {
    syString text;
    if (!get_attribute(name, text))
        return false;
    const syString point(syStringSafeASCII, ".");
    syString separator = locale_decimal_separator();
    if (separator == point)
        return parse_value_locale(text, value);
    // A value written with the locale's own separator is not the form the setter writes.
    if (text.find_substring(separator) != text.end())
        return false;
    if (text.find_substring(point) == text.end())
        return parse_value_locale(text, value);
    return parse_value_locale(text.replace_all(point, separator), value);
}

bool omNode::get_attribute(const syString& name, int& value) const {
    syString text;
    if (!get_attribute(name, text))
        return false;
    syStringLocaleParseResult<int> parsed = syStringLocaleIntParser().parse(text);
    if (!parsed.success() || parsed.position() != text.end())
        return false;
    value = parsed.result();
    return true;
}

bool omNode::set_attribute(const syString& name, bool value) {
    return set_attribute(name, value ? SYSTRING("true") : SYSTRING("false"));
}

bool omNode::set_attribute(const syString& name, const syString& value) {
    omElement* element = dynamic_cast<omElement*>(this);
    if (!element)
        return false;
    element->setAttribute(name, value);
    return true;
}

bool omNode::set_attribute(const syString& name, double value) {
    return set_attribute(name, syStringFormatter::format(L"%.16g", value));
}

bool omNode::set_attribute(const syString& name, int value) {
    return set_attribute(name, syStringFormatter::format(L"%d", value));
}

bool omNode::set_attribute(const syString& name, unsigned int value) {
    return set_attribute(name, syStringFormatter::format(L"%u", value));
}

bool omNode::get_attribute_locale(const syString& name, double& value) const {
    syString text;
    if (!get_attribute(name, text))
        return false;
    return parse_value_locale(text, value);
}

bool omNode::set_attribute_locale(const syString& name, double value) {
    char buffer[256];
    int n = std::snprintf(buffer, sizeof buffer, "%.16g", value);
    if (n < 0)
        return false;
    std::size_t length = static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n) : sizeof buffer - 1;
    return set_attribute(name, narrow_number_text(buffer, length));
}

bool omNode::parse_value_locale(const syString& text, double& value) const {
    syStringLocaleParseResult<double> parsed = syStringLocaleDoubleParser().parse(text);
    if (!parsed.success() || parsed.position() != text.end())
        return false;
    value = parsed.result();
    return true;
}

omProcessingInstruction::~omProcessingInstruction() = default;
