#include "reader/omPositionX.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "reader/omException.h"

// The scanning lives in this file's internal functions, which the compiler
// inlines into one another whatever the library's build flags (exported
// members of a shared library may not be); the cursor is the reader's hot
// path. The members only delegate. Every function here keeps the cursor's
// rules exactly: a position moved onto the NUL throws the end error, and a
// look-ahead reads as read_char does.

namespace {

[[noreturn]] __attribute__((noinline, cold)) void end_error() { throw omEndException(); }
[[noreturn]] __attribute__((noinline, cold)) void char_error(char expected) { throw omCharException(expected); }

// Empty results point at a literal, so they cost no allocation.
inline kuString span_string(const char* from, const char* to) {
    return to > from ? kuString(kuStringArray(), from, static_cast<int>(to - from)) : ku_lit("");
}

// A returned value: in the reader's shared buffer when it has one.
inline kuString value_string(const char* from, const char* to, omValueBuffer* values) {
    return values ? values->copy(from, static_cast<int>(to - from)) : span_string(from, to);
}

[[noreturn]] __attribute__((noinline, cold)) void tag_error(const char* name, const char* name_end) {
    throw omTagException(span_string(name, name_end));
}

inline bool is_space_byte(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Tag and attribute names are short: a loop beats a call to memcmp.
inline bool same_bytes(const char* a, const char* a_end, const char* b, const char* b_end) {
    if (a_end - a != b_end - b)
        return false;
    while (a != a_end) {
        if (*a++ != *b++)
            return false;
    }
    return true;
}

// strchr(p, c), inline. Tags and texts are mostly short, so a call to the
// library's scan costs more than the scan itself. With SSE2 it reads aligned
// 16-byte blocks, which never cross a page: the bytes of a block beyond the
// NUL (or before p) are read but never looked at, which is why the address
// sanitizer is kept out of this function and find_either.
#if defined(__SSE2__)
__attribute__((no_sanitize_address)) inline char* find_char(char* p, char c) {
    if (*p == c)
        return p;
    const __m128i wanted = _mm_set1_epi8(c);
    const __m128i nul = _mm_setzero_si128();
    const unsigned skip = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p) & 15u);
    const char* block = p - skip;
    __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(block));
    unsigned hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, wanted), _mm_cmpeq_epi8(bytes, nul))));
    hits &= ~0u << skip;
    while (hits == 0) {
        block += 16;
        bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(block));
        hits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, wanted), _mm_cmpeq_epi8(bytes, nul))));
    }
    char* found = p + (block - p) + __builtin_ctz(hits);
    return *found == c ? found : nullptr;
}

// The first a, b or NUL from p on, with the same blocks as find_char.
__attribute__((no_sanitize_address)) inline const char* find_either(const char* p, char a, char b) {
    if (*p == a || *p == b || *p == '\0')
        return p;
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    const __m128i nul = _mm_setzero_si128();
    const unsigned skip = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p) & 15u);
    const char* block = p - skip;
    unsigned hits = 0;
    for (unsigned keep = ~0u << skip; hits == 0; keep = ~0u, block += 16) {
        __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(block));
        __m128i either = _mm_or_si128(_mm_cmpeq_epi8(bytes, first), _mm_cmpeq_epi8(bytes, second));
        hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(either, _mm_cmpeq_epi8(bytes, nul)))) & keep;
    }
    block -= 16;
    return p + (block - p) + __builtin_ctz(hits);
}
#else
inline char* find_char(char* p, char c) { return std::strchr(p, c); }
inline const char* find_either(const char* p, char a, char b) {
    while (*p != a && *p != b && *p != '\0')
        ++p;
    return p;
}
#endif

// find_either for the short runs that names, attribute values and most texts
// between tags are. Their lengths repeat, so a byte loop, whose branches the
// processor foresees, beats the block scan, whose result every later step
// waits for; a long run is left to the block scan.
inline const char* first_of(const char* p, char a, char b) {
    for (int i = 0; i < 16; ++i, ++p) {
        if (*p == a || *p == b || *p == '\0')
            return p;
    }
    return find_either(p, a, b);
}

inline const char* space_or_close(const char* p) { return first_of(p, ' ', '>'); }

// ---- moving ----------------------------------------------------------------

inline void step(char*& cur) {
    if (*cur == '\0')
        end_error();
    ++cur;
    if (*cur == '\0')
        end_error();
}

inline char take(char*& cur) {
    char c = *cur;
    step(cur);
    return c;
}

inline void expect(char*& cur, char c) {
    if (*cur != c)
        char_error(c);
    step(cur);
}

inline void expect_all(char*& cur, const char* s, int n) {
    for (int i = 0; i < n; ++i)
        expect(cur, s[i]);
}

inline void pass_space(char*& cur) {
    while (is_space_byte(*cur)) {
        ++cur;
        if (*cur == '\0')
            end_error();
    }
}

// read_string_to_char's scan: cur ends on c.
inline void to_char(char*& cur, char c) {
    cur += first_of(cur, c, c) - cur;
    if (*cur == '\0')
        end_error();
}

inline void pass_tag(char*& cur) {
    to_char(cur, '>');
    step(cur);
}

// The pair scan of comments and CDATA sections: reads characters, and after
// each c the next one, until that next one is c too.
inline void pass_pair(char*& cur, char c) {
    for (;;) {
        char* found = find_char(cur, c);
        if (!found) {
            cur += std::strlen(cur);
            end_error();
        }
        cur = found;
        step(cur);
        if (take(cur) == c)
            return;
    }
}

inline void pass_comment(char*& cur) {
    expect_all(cur, "<!--", 4);
    pass_pair(cur, '-');
    expect(cur, '>');
}

// Returns where the section's content begins; it ends 3 before cur.
inline const char* pass_cdata(char*& cur) {
    expect_all(cur, "<![CDATA[", 9);
    const char* content = cur;
    pass_pair(cur, ']');
    expect(cur, '>');
    return content;
}

// ---- looking ahead ---------------------------------------------------------

// is_string on bytes: the character after each one compared must not be the
// NUL, checked before the comparison as read_char checks it.
inline bool looks_at(const char* p, const char* s, int n) {
    if (n > 0 && *p == '\0')
        end_error();
    for (int i = 0; i < n; ++i) {
        if (p[i + 1] == '\0')
            end_error();
        if (p[i] != s[i])
            return false;
    }
    return true;
}

inline bool at_comment(const char* p) { return looks_at(p, "<!--", 4); }
inline bool at_cdata(const char* p) { return looks_at(p, "<![CDATA[", 9); }
inline bool at_closing(const char* p) { return looks_at(p, "</", 2); }
inline bool at_opening(const char* p) { return *p == '<' && !at_closing(p) && !at_comment(p) && !at_cdata(p); }

// What stands at p, told from p[0..2] as the tests above tell it. For text,
// a start tag and a closing tag every order of the tests reads just these
// bytes (a text's first byte or "<x" differs from every marker by its first
// or second byte), so their end errors are thrown here, where the tests would
// throw them. "<!" may open a comment or a CDATA section: kBang leaves it to
// the tests, in the caller's order.
enum omKind { kText, kStart, kClosing, kBang };

inline omKind quick_kind(const char* p) {
    if (p[0] == '\0' || p[1] == '\0')
        end_error();
    if (p[0] != '<')
        return kText;
    if (p[2] == '\0')
        end_error();
    if (p[1] == '/')
        return kClosing;
    return p[1] == '!' ? kBang : kStart;
}

// "<" + name or "</" + name, each compared as looks_at compares.
inline bool at_tag_name(const char* p, const char* name, int n) {
    // The common answer first: "<" + name, with no NUL among the bytes
    // compared, leaves only the byte after them to check. Anything else is
    // answered by the full comparison below.
    if (p[0] == '<') {
        int i = 0;
        while (i < n && name[i] != '\0' && p[i + 1] == name[i])
            ++i;
        if (i == n) {
            if (p[n + 1] == '\0')
                end_error();
            return true;
        }
    }
    if (*p == '\0')
        end_error();
    for (int prefix = 1; prefix <= 2; ++prefix) {
        bool match = true;
        for (int i = 0; i < prefix + n; ++i) {
            if (p[i + 1] == '\0')
                end_error();
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

// read_tag's scan at p: returns the end of the name and sets name to its start.
inline const char* tag_name(const char* p, const char*& name) {
    if (*p != '<')
        char_error('<');
    if (*++p == '\0')
        end_error();
    if (*p == '/' && *++p == '\0')
        end_error();
    name = p;
    // p holds no NUL, so a NUL found is one the character-wise scan would step onto.
    const char* end = space_or_close(p);
    if (*end == '\0')
        end_error();
    return end;
}

inline bool closes_itself(const char* p) {
    if (*p == '>')
        return false;
    const char* end = std::strchr(p, '>');
    if (!end)
        end_error();
    return end[-1] == '/';
}

// An element entered through a self-closing start tag keeps its scan on its
// own '<' (object_setup); no other entered element's scan stands there.
inline bool inside_own_start_tag(const char* cur, const char* start) {
    if (cur != start || *cur != '<')
        return false;
    const char* end = std::strchr(cur, '>');
    return end && end[-1] == '/';
}

// ---- elements --------------------------------------------------------------

// read_tag, self_closing_tag and skip_tag of the start tag at cur, with one
// scan to its '>'. Sets the name range; true when the tag closes itself.
inline bool pass_start_tag(char*& cur, const char*& name, const char*& name_end) {
    name_end = tag_name(cur, name);
    // The name holds no '>' and no NUL: the scan may start where it ends.
    char* end = find_char(cur + (name_end - cur), '>');
    if (!end)
        end_error();
    bool closed = end[-1] == '/';
    cur = end;
    step(cur);
    return closed;
}

// The names of the elements skip_object has entered and not yet left, as
// ranges into the buffer; deep nesting grows a heap vector, not the machine
// stack.
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

// Where the name of the closing tag at cur ends when it is exactly the given
// name (a name read from a start tag, so holding no NUL, space or '>'); null
// otherwise. read_tag would find the same end, with nothing to throw.
inline const char* closing_name_end(const char* cur, const char* name, const char* name_end) {
    const char* p = cur + 2;
    for (const char* n = name; n != name_end; ++n, ++p) {
        if (*p != *n)
            return nullptr;
    }
    return *p == ' ' || *p == '>' ? p : nullptr;
}

// The closing tag at cur, whose name read_tag has just found to end at
// name_end: skip_tag from there, since the name holds no '>'.
inline void pass_closing_tag(char*& cur, const char* name_end) {
    cur += name_end - cur;
    pass_tag(cur);
}

// skip_object: the tests and checks of the recursive form, in its order, with
// the open elements kept in omOpenNames. A non-null resume is a position in
// the element's content up to which the content is known to pass these
// checks (see skip_entered_object): the scan goes on from there.
void pass_object(char*& cur, char* resume = nullptr) {
    const char* name;
    const char* name_end;
    if (resume) {
        name_end = tag_name(cur, name);
        cur = resume;
    } else if (pass_start_tag(cur, name, name_end)) {
        return;
    }
    omOpenNames open;
    open.push(name, name_end);
    for (;;) {
        pass_space(cur);
        omKind kind = quick_kind(cur);
        if (kind == kBang) {
            if (at_comment(cur)) {
                pass_comment(cur);
                continue;
            }
            if (at_cdata(cur)) {
                pass_cdata(cur);
                continue;
            }
            kind = kStart;
        }
        if (kind == kClosing) {
            const char* closing_end = closing_name_end(cur, open.name(), open.name_end());
            if (!closing_end) {
                const char* closing;
                closing_end = tag_name(cur, closing);
                if (!same_bytes(closing, closing_end, open.name(), open.name_end()))
                    tag_error(open.name(), open.name_end());
            }
            pass_closing_tag(cur, closing_end);
            open.pop();
            if (open.empty())
                return;
        } else if (kind == kStart) {
            if (!pass_start_tag(cur, name, name_end))
                open.push(name, name_end);
        } else {
            to_char(cur, '<');
        }
    }
}

// Where a scan of an element's content has found its closing tag checked
// (closing, the tag's '<') and where it then rewound to (content).
struct omClosed {
    char* closing = nullptr;
    char* content = nullptr;
};

// At the element's closing tag: check it against the start tag and rewind
// to just past the start tag.
inline void close_and_rewind(char*& cur, char* start, omClosed& closed) {
    char* closing_tag = cur;
    const char* closing;
    const char* closing_end = tag_name(cur, closing);
    cur = start;
    if (!at_tag_name(cur, closing, static_cast<int>(closing_end - closing)))
        tag_error(closing, closing_end);
    pass_tag(cur);
    closed.closing = closing_tag;
    closed.content = cur;
}

// find_sub_tag for a name given as bytes; a null name matches no child.
bool find_child(char*& cur, char* start, const char* name, int n, omClosed& closed) {
    if (inside_own_start_tag(cur, start))
        return false;
    for (;;) {
        pass_space(cur);
        omKind kind = quick_kind(cur);
        if (kind == kBang) {
            // The tests in find_sub_tag's order: start tag, comment, closing
            // tag, CDATA section.
            if (at_opening(cur)) {
                kind = kStart;
            } else if (at_comment(cur)) {
                pass_comment(cur);
                continue;
            } else {
                pass_cdata(cur);
                continue;
            }
        }
        if (kind == kStart) {
            if (name && at_tag_name(cur, name, n))
                return true;
            pass_object(cur);
        } else if (kind == kClosing) {
            close_and_rewind(cur, start, closed);
            return false;
        } else {
            to_char(cur, '<');
        }
    }
}

// ---- text and attributes ---------------------------------------------------

kuString text_to_tag(char*& cur, omValueBuffer* values) {
    kuString result = ku_lit("");
    const char* from = cur;
    for (;;) {
        char* tag = find_char(cur, '<');
        if (!tag) {
            // The look-ahead at the last character is what fails.
            std::size_t left = std::strlen(cur);
            cur += left ? left - 1 : 0;
            end_error();
        }
        cur = tag;
        omKind kind = quick_kind(cur);
        if (kind == kBang && at_cdata(cur)) {
            result += span_string(from, cur);
            const char* content = pass_cdata(cur);
            result += span_string(content, cur - 3);
        } else if (kind == kBang && at_comment(cur)) {
            result += span_string(from, cur);
            pass_comment(cur);
        } else {
            // A text without comments or CDATA sections is returned as is.
            if (result.length() == 0)
                return value_string(from, cur, values);
            result += span_string(from, cur);
            return result;
        }
        from = cur;
    }
}

kuString next_text(char*& cur, char* start, omClosed& closed, omValueBuffer* values) {
    if (inside_own_start_tag(cur, start))
        return ku_lit("");
    for (;;) {
        char* run = cur;
        pass_space(cur);
        omKind kind = quick_kind(cur);
        if (kind == kBang) {
            // text_node's order: start tag, comment, closing tag.
            if (at_opening(cur))
                kind = kStart;
            else if (at_comment(cur)) {
                pass_comment(cur);
                continue;
            } else {
                kind = kText;
            }
        }
        if (kind == kStart) {
            pass_object(cur);
        } else if (kind == kClosing) {
            close_and_rewind(cur, start, closed);
            return ku_lit("");
        } else {
            // The whitespace just passed leads the text, so read from before it.
            cur = run;
            return text_to_tag(cur, values);
        }
    }
}

kuString attribute_at(char*& cur, const kuString& name, const kuString& default_value, omValueBuffer* values) {
    // '>' ends the tag, and so does "/>": the scan never reads past a
    // self-closing tag into the text that follows it.
    auto at_tag_end = [&cur] { return *cur == '>' || (*cur == '/' && cur[1] == '>'); };
    const char* wanted = name.c_str();
    const char* wanted_end = wanted + name.length();

    // step() over the name: a NUL after a character is the NUL the next
    // round finds, so one test per character throws the same end error.
    cur += space_or_close(cur) - cur;
    if (*cur == '\0')
        end_error();
    pass_space(cur);
    if (at_tag_end())
        return default_value;
    for (;;) {
        const char* key = cur;
        to_char(cur, '=');
        const char* key_end = cur;
        expect(cur, '=');
        char quote = take(cur);
        const char* value = cur;
        to_char(cur, quote);
        const char* value_end = cur;
        expect(cur, quote);
        if (same_bytes(key, key_end, wanted, wanted_end))
            return value_string(value, value_end, values);
        pass_space(cur);
        if (at_tag_end())
            return default_value;
    }
}

// Sets self_closed to the '>' of a self-closing start tag, null otherwise.
void setup(char*& cur, char*& start, char*& self_closed) {
    self_closed = nullptr;
    omKind kind = quick_kind(cur);
    while (kind == kBang && at_comment(cur)) {
        pass_comment(cur);
        start = cur;
        kind = quick_kind(cur);
    }
    if (kind != kStart && !(kind == kBang && at_opening(cur)))
        throw omTagException(ku_lit("Initial tag"));
    // A self-closing element has no content: its scan stays on its own start
    // tag, where inside_own_start_tag() recognises it. self_closing_tag and
    // skip_tag share one scan to the tag's '>'.
    // The name first, by itself: most tags end with it.
    char* end = cur + (space_or_close(cur) - cur);
    if (*end != '>')
        end = find_char(end, '>');
    if (!end)
        end_error();
    if (cur == start && end[-1] == '/') {
        self_closed = end;
        return;
    }
    cur = end;
    step(cur);
    pass_space(cur);
}

} // namespace

// ---- values ----------------------------------------------------------------

namespace {

// Copies n bytes, w <= n <= 2w, as two overlapping moves of w bytes.
template <int w>
inline void copy_ends(char* to, const char* from, int n) {
    char head[w];
    char tail[w];
    std::memcpy(head, from, w);
    std::memcpy(tail, from + n - w, w);
    std::memcpy(to, head, w);
    std::memcpy(to + n - w, tail, w);
}

// memcpy for the short values of attributes and texts: fixed-width moves
// cost less than a call or a byte loop.
inline void copy_short(char* to, const char* from, int n) {
    if (n >= 32)
        std::memcpy(to, from, static_cast<std::size_t>(n));
    else if (n >= 16)
        copy_ends<16>(to, from, n);
    else if (n >= 8)
        copy_ends<8>(to, from, n);
    else if (n >= 4)
        copy_ends<4>(to, from, n);
    else
        for (int i = 0; i < n; ++i)
            to[i] = from[i];
}

} // namespace

kuString omValueBuffer::copy(const char* from, int n) {
    constexpr int kSize = 4000; // with the count and malloc's header, within 4 KiB
    constexpr int kLong = 256;
    constexpr int kSpare = 64;
    if (n <= 0 || n >= kLong)
        return span_string(from, from + n);
    // The members are read once and written once: a member written here and
    // read again at once, as a wider word together with its neighbour, would
    // wait for the write.
    int used = m_used;
    int spare = m_spare;
    // Once no returned string holds the buffer, it is filled from its start.
    if (m_ref && m_ref->count.load(std::memory_order_acquire) == 1 + spare)
        used = 0;
    if (!m_ref || used + n + 1 > kSize) {
        kuRef* fresh = kuRef::make(kSize - 1);
        drop();
        m_ref = fresh;
        used = 0;
        spare = 0;
    }
    if (spare == 0) {
        m_ref->count.fetch_add(kSpare, std::memory_order_relaxed);
        spare = kSpare;
    }
    char* to = m_ref->chars() + used;
    copy_short(to, from, n);
    to[n] = '\0';
    m_used = used + n + 1;
    m_spare = spare - 1;
    return kuString(m_ref, to, n);
}

void omValueBuffer::drop() {
    // The buffer's own count is still held, so this never frees it.
    if (m_ref && m_spare)
        m_ref->count.fetch_sub(m_spare, std::memory_order_relaxed);
    m_spare = 0;
    kuRef::release(m_ref);
    m_ref = nullptr;
}

// ---- moving ----------------------------------------------------------------

void omPositionX::move_on() { step(m_current); }
char omPositionX::read_char() { return take(m_current); }
void omPositionX::skip_char(char c) { expect(m_current, c); }
void omPositionX::skip_string(const kuString& s) { expect_all(m_current, s.c_str(), s.length()); }
void omPositionX::skip_whitespace() { pass_space(m_current); }

kuString omPositionX::read_string_to_char(char c) {
    const char* from = m_current;
    to_char(m_current, c);
    return span_string(from, m_current);
}

void omPositionX::skip_tag() { pass_tag(m_current); }
void omPositionX::skip_comment() { pass_comment(m_current); }

kuString omPositionX::read_cdata() {
    const char* content = pass_cdata(m_current);
    return span_string(content, m_current - 3);
}

kuString omPositionX::make_string_from(const char* from) const { return span_string(from, m_current); }

// ---- looking ahead ---------------------------------------------------------

bool omPositionX::is_whitespace() const { return is_space_byte(*m_current); }
bool omPositionX::is_string(const kuString& s) const { return looks_at(m_current, s.c_str(), s.length()); }
bool omPositionX::is_comment() const { return at_comment(m_current); }
bool omPositionX::is_cdata() const { return at_cdata(m_current); }
bool omPositionX::is_closing_tag() const { return at_closing(m_current); }
bool omPositionX::is_opening_tag() const { return at_opening(m_current); }
bool omPositionX::is_tag() const { return !at_comment(m_current) && !at_cdata(m_current) && *m_current == '<'; }

bool omPositionX::is_tag_name(const kuString& name) const {
    return at_tag_name(m_current, name.c_str(), name.length());
}

bool omPositionX::self_closing_tag() const { return closes_itself(m_current); }

kuString omPositionX::read_tag() const {
    const char* name;
    const char* name_end = tag_name(m_current, name);
    return span_string(name, name_end);
}

// ---- elements --------------------------------------------------------------

kuString omPositionX::attribute(const kuString& name, const kuString& default_value) const {
    char* cur = m_object_start;
    return attribute_at(cur, name, default_value, m_values);
}

kuString omPositionX::find_attribute(const kuString& name, const kuString& default_value) {
    return attribute_at(m_current, name, default_value, m_values);
}

bool omPositionX::find_sub_tag(const kuString& name) {
    omClosed closed{m_closing, m_content};
    bool found = find_child(m_current, m_object_start, name.c_str(), name.length(), closed);
    m_closing = closed.closing;
    m_content = closed.content;
    return found;
}

void omPositionX::end_object() {
    if (m_closing) {
        m_current = m_content;
        return;
    }
    omClosed closed;
    find_child(m_current, m_object_start, nullptr, 0, closed);
    m_closing = closed.closing;
    m_content = closed.content;
}

void omPositionX::skip_object() { pass_object(m_current); }

// The child's scan has passed its content up to child.m_current with the
// very steps skip_object takes there (whitespace, text, comments, CDATA and
// whole grandchildren, each checked as skip_object checks it), so the outcome
// from there on is the outcome of the whole scan. A child entered through a
// self-closing tag keeps m_current on its own '<' and is skipped afresh.
void omPositionX::skip_entered_object(const omPositionX& child) {
    // A self-closing child: skip_object would find the same '>' setup found.
    if (child.m_self_closed && child.m_object_start == m_current && child.m_current == m_current) {
        m_current = child.m_self_closed;
        step(m_current);
        return;
    }
    bool resumable = child.m_object_start == m_current && child.m_current > child.m_object_start;
    pass_object(m_current, !resumable ? nullptr : child.m_closing ? child.m_closing : child.m_current);
}

omPositionX* omPositionX::go_to_sub_tag(kuPtrRelease, const kuString& name) {
    if (!find_sub_tag(name))
        return nullptr;
    std::unique_ptr<omPositionX> child(new omPositionX(m_current));
    child->object_setup();
    return child.release();
}

void omPositionX::enter(const omPositionX& parent) {
    m_current = m_object_start = parent.m_current;
    m_values = parent.m_values;
    object_setup();
}

void omPositionX::object_setup() {
    m_closing = m_content = nullptr;
    setup(m_current, m_object_start, m_self_closed);
}

kuString omPositionX::initial_tag() const {
    char* cur = m_object_start;
    char* start = m_object_start;
    char* self_closed;
    setup(cur, start, self_closed);
    if (inside_own_start_tag(cur, start))
        return ku_lit("");
    const char* name;
    const char* name_end = tag_name(cur, name);
    return span_string(name, name_end);
}

// ---- text ------------------------------------------------------------------

kuString omPositionX::text_node() {
    omClosed closed{m_closing, m_content};
    kuString text = next_text(m_current, m_object_start, closed, m_values);
    m_closing = closed.closing;
    m_content = closed.content;
    return text;
}
kuString omPositionX::read_text() { return text_to_tag(m_current, m_values); }

// ---- errors ----------------------------------------------------------------

void omPositionX::throw_char_error_x(char c) const { char_error(c); }
void omPositionX::throw_end_error_x() const { end_error(); }
void omPositionX::throw_tag_error_x(const kuString& tag) const { throw omTagException(tag); }
