#include "reader/omPositionX.h"

#include <cstring>
#include <memory>
#include <vector>

#include "reader/omException.h"

namespace {

inline bool is_space_byte(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Empty results point at a literal, so they cost no allocation.
inline kuString span_string(const char* from, const char* to) {
    return to > from ? kuString(kuStringArray(), from, static_cast<int>(to - from)) : ku_lit("");
}

inline bool same_bytes(const char* a, const char* a_end, const char* b, const char* b_end) {
    return a_end - a == b_end - b && std::memcmp(a, b, static_cast<std::size_t>(a_end - a)) == 0;
}

// The names of the elements skip_object has entered and not yet left, kept
// as ranges into the buffer; deep nesting grows a heap vector, not the
// machine stack.
class omOpenNames {
public:
    void push(const char* name, const char* name_end) {
        if (m_depth < kInline)
            m_inline[m_depth] = {name, name_end};
        else
            m_more.push_back({name, name_end});
        ++m_depth;
    }
    void pop() {
        --m_depth;
        if (m_depth >= kInline)
            m_more.pop_back();
    }
    bool empty() const { return m_depth == 0; }
    const char* name() const { return top().name; }
    const char* name_end() const { return top().name_end; }

private:
    struct Range {
        const char* name;
        const char* name_end;
    };
    static constexpr int kInline = 64;
    const Range& top() const { return m_depth <= kInline ? m_inline[m_depth - 1] : m_more.back(); }

    Range m_inline[kInline];
    std::vector<Range> m_more;
    int m_depth = 0;
};

} // namespace

// ---- moving ----------------------------------------------------------------

void omPositionX::move_on() {
    if (*m_current == '\0')
        throw_end_error_x();
    ++m_current;
    if (*m_current == '\0')
        throw_end_error_x();
}

char omPositionX::read_char() {
    char c = *m_current;
    move_on();
    return c;
}

void omPositionX::skip_char(char c) {
    if (*m_current != c)
        throw_char_error_x(c);
    move_on();
}

void omPositionX::skip_string(const kuString& s) {
    for (int i = 0; i < s.length(); ++i)
        skip_char(s[i]);
}

void omPositionX::skip_whitespace() {
    while (is_space_byte(*m_current)) {
        ++m_current;
        if (*m_current == '\0')
            throw_end_error_x();
    }
}

void omPositionX::scan_to_char(char c) {
    if (*m_current == c)
        return;
    char* found = std::strchr(m_current, c);
    if (!found || *found == '\0') {
        m_current += std::strlen(m_current);
        throw_end_error_x();
    }
    m_current = found;
}

kuString omPositionX::read_string_to_char(char c) {
    const char* from = m_current;
    scan_to_char(c);
    return span_string(from, m_current);
}

void omPositionX::skip_tag() {
    scan_to_char('>');
    move_on();
}

void omPositionX::pass_to_pair(char c) {
    for (;;) {
        char* found = std::strchr(m_current, c);
        if (!found) {
            m_current += std::strlen(m_current);
            throw_end_error_x();
        }
        m_current = found;
        move_on();
        char second = read_char();
        if (second == c)
            return;
    }
}

void omPositionX::skip_comment() {
    for (const char* s = "<!--"; *s; ++s)
        skip_char(*s);
    pass_to_pair('-');
    skip_char('>');
}

const char* omPositionX::pass_cdata() {
    for (const char* s = "<![CDATA["; *s; ++s)
        skip_char(*s);
    const char* content = m_current;
    pass_to_pair(']');
    skip_char('>');
    return content;
}

kuString omPositionX::read_cdata() {
    const char* content = pass_cdata();
    return span_string(content, m_current - 3);
}

kuString omPositionX::make_string_from(const char* from) const { return span_string(from, m_current); }

// ---- looking ahead ---------------------------------------------------------

bool omPositionX::is_whitespace() const { return is_space_byte(*m_current); }

// Reads as read_char would: a look-ahead that reaches the last character
// throws the end error before that character is compared.
bool omPositionX::is_bytes(const char* s, int n) const {
    const char* p = m_current;
    if (n > 0 && *p == '\0')
        throw_end_error_x();
    for (int i = 0; i < n; ++i) {
        if (p[i + 1] == '\0')
            throw_end_error_x();
        if (p[i] != s[i])
            return false;
    }
    return true;
}

bool omPositionX::is_string(const kuString& s) const { return is_bytes(s.c_str(), s.length()); }
bool omPositionX::is_comment() const { return is_bytes("<!--", 4); }
bool omPositionX::is_cdata() const { return is_bytes("<![CDATA[", 9); }
bool omPositionX::is_closing_tag() const { return is_bytes("</", 2); }

bool omPositionX::is_opening_tag() const { return is_char('<') && !is_closing_tag() && !is_comment() && !is_cdata(); }

bool omPositionX::is_tag() const { return !is_comment() && !is_cdata() && is_char('<'); }

bool omPositionX::is_tag_name_bytes(const char* name, int n) const {
    const char* p = m_current;
    if (*p == '\0')
        throw_end_error_x();
    // "<" + name, then "</" + name, compared as is_string compares.
    for (int prefix = 1; prefix <= 2; ++prefix) {
        bool match = true;
        for (int i = 0; i < prefix + n; ++i) {
            if (p[i + 1] == '\0')
                throw_end_error_x();
            char want = i == 0 ? '<' : i < prefix ? '/' : name[i - prefix];
            if (p[i] != want) {
                match = false;
                break;
            }
        }
        if (match)
            return true;
    }
    return false;
}

bool omPositionX::is_tag_name(const kuString& name) const { return is_tag_name_bytes(name.c_str(), name.length()); }

bool omPositionX::self_closing_tag() const {
    if (*m_current == '>')
        return false;
    const char* end = std::strchr(m_current, '>');
    if (!end)
        throw_end_error_x();
    return end[-1] == '/';
}

const char* omPositionX::scan_tag_name(const char*& name) const {
    const char* p = m_current;
    if (*p != '<')
        throw_char_error_x('<');
    if (*++p == '\0')
        throw_end_error_x();
    if (*p == '/' && *++p == '\0')
        throw_end_error_x();
    name = p;
    while (*p != ' ' && *p != '>') {
        if (*++p == '\0')
            throw_end_error_x();
    }
    return p;
}

kuString omPositionX::read_tag() const {
    const char* name;
    const char* name_end = scan_tag_name(name);
    return span_string(name, name_end);
}

bool omPositionX::inside_own_start_tag() const {
    if (m_current != m_object_start || *m_current != '<')
        return false;
    const char* end = std::strchr(m_current, '>');
    return end && end[-1] == '/';
}

// ---- attributes ------------------------------------------------------------

kuString omPositionX::attribute(const kuString& name, const kuString& default_value) const {
    omPositionX start(m_object_start);
    return start.find_attribute(name, default_value);
}

kuString omPositionX::find_attribute(const kuString& name, const kuString& default_value) {
    // '>' ends the tag, and so does "/>": the scan never reads past a
    // self-closing tag into the text that follows it.
    auto at_tag_end = [this] { return *m_current == '>' || (*m_current == '/' && m_current[1] == '>'); };
    const char* wanted = name.c_str();
    const char* wanted_end = wanted + name.length();

    while (*m_current != ' ' && *m_current != '>')
        move_on();
    skip_whitespace();
    if (at_tag_end())
        return default_value;
    for (;;) {
        const char* key = m_current;
        scan_to_char('=');
        const char* key_end = m_current;
        skip_char('=');
        char quote = read_char();
        const char* value = m_current;
        scan_to_char(quote);
        const char* value_end = m_current;
        skip_char(quote);
        if (same_bytes(key, key_end, wanted, wanted_end))
            return span_string(value, value_end);
        skip_whitespace();
        if (at_tag_end())
            return default_value;
    }
}

// ---- elements --------------------------------------------------------------

bool omPositionX::pass_start_tag(const char*& name, const char*& name_end) {
    name_end = scan_tag_name(name);
    // self_closing_tag and skip_tag share one scan to the tag's '>'.
    char* end = std::strchr(m_current, '>');
    if (!end)
        throw_end_error_x();
    bool closed = end[-1] == '/';
    m_current = end;
    move_on();
    return closed;
}

void omPositionX::skip_object() {
    const char* name;
    const char* name_end;
    if (pass_start_tag(name, name_end))
        return;
    omOpenNames open;
    open.push(name, name_end);
    for (;;) {
        skip_whitespace();
        if (is_comment()) {
            skip_comment();
        } else if (is_cdata()) {
            pass_cdata();
        } else if (is_closing_tag()) {
            const char* closing;
            const char* closing_end = scan_tag_name(closing);
            if (!same_bytes(closing, closing_end, open.name(), open.name_end()))
                throw_tag_error_x(span_string(open.name(), open.name_end()));
            skip_tag();
            open.pop();
            if (open.empty())
                return;
        } else if (is_opening_tag()) {
            if (!pass_start_tag(name, name_end))
                open.push(name, name_end);
        } else {
            scan_to_char('<');
        }
    }
}

void omPositionX::close_and_rewind() {
    const char* closing;
    const char* closing_end = scan_tag_name(closing);
    m_current = m_object_start;
    if (!is_tag_name_bytes(closing, static_cast<int>(closing_end - closing)))
        throw_tag_error_x(span_string(closing, closing_end));
    skip_tag();
}

bool omPositionX::find_child(const char* name, int n) {
    if (inside_own_start_tag())
        return false;
    for (;;) {
        skip_whitespace();
        if (is_opening_tag()) {
            if (name && is_tag_name_bytes(name, n))
                return true;
            skip_object();
        } else if (is_comment()) {
            skip_comment();
        } else if (is_closing_tag()) {
            close_and_rewind();
            return false;
        } else if (is_cdata()) {
            pass_cdata();
        } else {
            scan_to_char('<');
        }
    }
}

bool omPositionX::find_sub_tag(const kuString& name) { return find_child(name.c_str(), name.length()); }

void omPositionX::end_object() { find_child(nullptr, 0); }

omPositionX* omPositionX::go_to_sub_tag(kuPtrRelease, const kuString& name) {
    if (!find_sub_tag(name))
        return nullptr;
    std::unique_ptr<omPositionX> child(new omPositionX(m_current));
    child->object_setup();
    return child.release();
}

void omPositionX::object_setup() {
    while (is_comment()) {
        skip_comment();
        m_object_start = m_current;
    }
    if (!is_opening_tag())
        throw_tag_error_x(ku_lit("Initial tag"));
    // A self-closing element has no content: its cursor stays on its own
    // start tag, where inside_own_start_tag() recognises it.
    if (m_current == m_object_start && self_closing_tag())
        return;
    skip_tag();
    skip_whitespace();
}

kuString omPositionX::initial_tag() const {
    omPositionX start(m_object_start);
    start.object_setup();
    if (start.inside_own_start_tag())
        return ku_lit("");
    return start.read_tag();
}

// ---- text ------------------------------------------------------------------

kuString omPositionX::text_node() {
    if (inside_own_start_tag())
        return ku_lit("");
    for (;;) {
        char* run = m_current;
        skip_whitespace();
        if (is_opening_tag()) {
            skip_object();
        } else if (is_comment()) {
            skip_comment();
        } else if (is_closing_tag()) {
            close_and_rewind();
            return ku_lit("");
        } else {
            // The whitespace just passed leads the text, so read from before it.
            m_current = run;
            return read_text();
        }
    }
}

kuString omPositionX::read_text() {
    kuString result = ku_lit("");
    const char* from = m_current;
    for (;;) {
        char* tag = std::strchr(m_current, '<');
        if (!tag) {
            // The look-ahead at the last character is what fails.
            std::size_t left = std::strlen(m_current);
            m_current += left ? left - 1 : 0;
            throw_end_error_x();
        }
        m_current = tag;
        if (is_cdata()) {
            result += make_string_from(from);
            result += read_cdata();
        } else if (is_comment()) {
            result += make_string_from(from);
            skip_comment();
        } else {
            result += make_string_from(from);
            return result;
        }
        from = m_current;
    }
}

// ---- errors ----------------------------------------------------------------

void omPositionX::throw_char_error_x(char c) const { throw omCharException(c); }
void omPositionX::throw_end_error_x() const { throw omEndException(); }
void omPositionX::throw_tag_error_x(const kuString& tag) const { throw omTagException(tag); }
