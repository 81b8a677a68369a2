// Differential test of the pull reader: a frozen copy of the cursor's
// scanning logic as it stood before the scanner was made fast (plain strchr,
// no memo, a cursor allocated per entered element) runs beside the library's
// reader over generated documents and their truncations, and every returned
// value, every recorded error text and its order, and every rewind rule must
// agree. Change the reference only when a behaviour is meant to change.

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/syQfsFile.h"
#include "reader/omException.h"
#include "reader/omXmlFactory.h"
#include "support.h"

namespace {

std::string dumped(const omAbstractXmlReader& reader) {
    std::ostringstream out;
    reader.dump_error(out);
    return out.str();
}

// ---- the reference: the old cursor, one function per old operation ---------

namespace ref {

[[noreturn]] void end_error() { throw omEndException(); }
[[noreturn]] void char_error(char c) { throw omCharException(c); }
[[noreturn]] void tag_error(const char* a, const char* b) {
    throw omTagException(kuString(kuStringArray(), a, static_cast<int>(b - a)));
}
std::string span(const char* a, const char* b) { return b > a ? std::string(a, b) : std::string(); }

void step(char*& c) {
    if (*c == '\0' || *++c == '\0')
        end_error();
}
char take(char*& c) {
    char ch = *c;
    step(c);
    return ch;
}
void expect(char*& c, char ch) {
    if (*c != ch)
        char_error(ch);
    step(c);
}
void expect_all(char*& c, const char* s) {
    while (*s)
        expect(c, *s++);
}
void pass_space(char*& c) {
    while (*c == ' ' || *c == '\n' || *c == '\r' || *c == '\t')
        if (*++c == '\0')
            end_error();
}
void to_char(char*& c, char ch) {
    char* f = std::strchr(c, ch);
    if (!f) {
        c += std::strlen(c);
        end_error();
    }
    c = f;
}
void pass_tag(char*& c) {
    to_char(c, '>');
    step(c);
}
void pass_pair(char*& c, char ch) {
    do {
        to_char(c, ch);
        step(c);
    } while (take(c) != ch);
}
void pass_comment(char*& c) {
    expect_all(c, "<!--");
    pass_pair(c, '-');
    expect(c, '>');
}
const char* pass_cdata(char*& c) {
    expect_all(c, "<![CDATA[");
    const char* content = c;
    pass_pair(c, ']');
    expect(c, '>');
    return content;
}
bool looks_at(const char* p, const char* s) {
    int n = static_cast<int>(std::strlen(s));
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
bool at_comment(const char* p) { return looks_at(p, "<!--"); }
bool at_cdata(const char* p) { return looks_at(p, "<![CDATA["); }
bool at_opening(const char* p) { return *p == '<' && !looks_at(p, "</") && !at_comment(p) && !at_cdata(p); }
enum Kind { kText, kStart, kClosing, kBang };
Kind kind(const char* p) {
    if (p[0] == '\0' || p[1] == '\0')
        end_error();
    if (p[0] != '<')
        return kText;
    if (p[2] == '\0')
        end_error();
    return p[1] == '/' ? kClosing : p[1] == '!' ? kBang : kStart;
}
bool at_tag_name(const char* p, const std::string& name) {
    return looks_at(p, ("<" + name).c_str()) || looks_at(p, ("</" + name).c_str());
}
const char* tag_name(const char* p, const char*& name) {
    if (*p != '<')
        char_error('<');
    if (*++p == '\0' || (*p == '/' && *++p == '\0'))
        end_error();
    for (name = p; *p != ' ' && *p != '>';)
        if (*++p == '\0')
            end_error();
    return p;
}
bool own_start_tag(const char* c, const char* start) {
    const char* e = c == start && *c == '<' ? std::strchr(c, '>') : nullptr;
    return e && e[-1] == '/';
}
bool pass_start_tag(char*& c, const char*& name, const char*& name_end) {
    name_end = tag_name(c, name);
    pass_tag(c);
    return c[-2] == '/';
}
void pass_object(char*& c, char* resume = nullptr) {
    const char *name, *name_end;
    if (resume) {
        name_end = tag_name(c, name);
        c = resume;
    } else if (pass_start_tag(c, name, name_end)) {
        return;
    }
    std::vector<std::pair<const char*, const char*>> open{{name, name_end}};
    for (;;) {
        pass_space(c);
        Kind k = kind(c);
        if (k == kBang && at_comment(c)) {
            pass_comment(c);
        } else if (k == kBang && at_cdata(c)) {
            pass_cdata(c);
        } else if (k == kClosing) {
            const char* closing;
            const char* closing_end = tag_name(c, closing);
            if (span(closing, closing_end) != span(open.back().first, open.back().second))
                tag_error(open.back().first, open.back().second);
            pass_tag(c);
            open.pop_back();
            if (open.empty())
                return;
        } else if (k != kText) {
            if (!pass_start_tag(c, name, name_end))
                open.emplace_back(name, name_end);
        } else {
            to_char(c, '<');
        }
    }
}
void close_and_rewind(char*& c, char* start) {
    const char* closing;
    const char* closing_end = tag_name(c, closing);
    c = start;
    if (!at_tag_name(c, span(closing, closing_end)))
        tag_error(closing, closing_end);
    pass_tag(c);
}
// find_sub_tag; a null name matches no child (end_object).
bool find_child(char*& c, char* start, const std::string* name) {
    if (own_start_tag(c, start))
        return false;
    for (;;) {
        pass_space(c);
        Kind k = kind(c);
        if (k == kBang)
            k = at_opening(c) ? kStart : kText;
        if (k == kStart) {
            if (name && at_tag_name(c, *name))
                return true;
            pass_object(c);
        } else if (k == kClosing) {
            close_and_rewind(c, start);
            return false;
        } else if (*c != '<') {
            to_char(c, '<');
        } else if (at_comment(c)) {
            pass_comment(c);
        } else {
            pass_cdata(c);
        }
    }
}
std::string text_to_tag(char*& c) {
    std::string result;
    for (const char* from = c;; from = c) {
        char* tag = std::strchr(c, '<');
        if (!tag) {
            std::size_t left = std::strlen(c);
            c += left ? left - 1 : 0;
            end_error();
        }
        c = tag;
        Kind k = kind(c);
        result += span(from, c);
        if (k == kBang && at_cdata(c)) {
            const char* content = pass_cdata(c);
            result += span(content, c - 3);
        } else if (k == kBang && at_comment(c)) {
            pass_comment(c);
        } else {
            return result;
        }
    }
}
std::string next_text(char*& c, char* start) {
    if (own_start_tag(c, start))
        return "";
    for (;;) {
        char* run = c;
        pass_space(c);
        Kind k = kind(c);
        if (k == kBang)
            k = at_opening(c) ? kStart : at_comment(c) ? kBang : kText;
        if (k == kBang) {
            pass_comment(c);
        } else if (k == kStart) {
            pass_object(c);
        } else if (k == kClosing) {
            close_and_rewind(c, start);
            return "";
        } else {
            c = run;
            return text_to_tag(c);
        }
    }
}
std::string attribute_at(char* c, const std::string& name, const std::string& fallback) {
    auto at_end = [&c] { return *c == '>' || (*c == '/' && c[1] == '>'); };
    while (*c != ' ' && *c != '>')
        step(c);
    for (pass_space(c); !at_end(); pass_space(c)) {
        const char* key = c;
        to_char(c, '=');
        const char* key_end = c;
        expect(c, '=');
        char quote = take(c);
        const char* value = c;
        to_char(c, quote);
        const char* value_end = c;
        expect(c, quote);
        if (span(key, key_end) == name)
            return span(value, value_end);
    }
    return fallback;
}
void setup(char*& c, char*& start) {
    Kind k = kind(c);
    while (k == kBang && at_comment(c)) {
        pass_comment(c);
        start = c;
        k = kind(c);
    }
    if (k != kStart && !(k == kBang && at_opening(c)))
        throw omTagException(ku_lit("Initial tag"));
    char* end = std::strchr(c, '>');
    if (!end)
        end_error();
    if (c == start && end[-1] == '/')
        return;
    c = end;
    step(c);
    pass_space(c);
}

struct Cursor {
    char* cur;
    char* start;
};

// The old omSimpleXmlReader over the old cursor.
class Reader {
public:
    explicit Reader(std::string bytes) : m_bytes(std::move(bytes)) {}
    bool read_file() {
        m_open.clear();
        m_initial.reset();
        m_buffer.assign(m_bytes.begin(), m_bytes.end());
        m_buffer.push_back('\0');
        try {
            m_initial.reset(new Cursor{m_buffer.data(), m_buffer.data()});
            char*& c = m_initial->cur;
            auto value = [&c](const char* name) {
                expect_all(c, name);
                expect(c, '=');
                char quote = take(c);
                const char* from = c;
                to_char(c, quote);
                std::string v = span(from, c);
                expect(c, quote);
                return v;
            };
            expect_all(c, "<?xml");
            pass_space(c);
            value("version");
            pass_space(c);
            m_encoding = *c == 'e' ? value("encoding") : "";
            if (m_encoding.empty())
                m_encoding = "utf-8";
        } catch (omException& e) {
            record(e);
            return false;
        }
        return kuString(m_encoding.c_str()).case_compare(ku_lit("utf-16")) != 0;
    }
    bool down_to(const std::string& tag) {
        Cursor* from = m_open.empty() ? m_initial.get() : &m_open.back();
        if (m_failed || !from)
            return false;
        try {
            if (!find_child(from->cur, from->start, &tag))
                return false;
            Cursor child{from->cur, from->cur};
            setup(child.cur, child.start);
            m_open.push_back(child);
            return true;
        } catch (omException& e) {
            return record(e), false;
        }
    }
    void up() {
        if (m_failed)
            return;
        if (m_open.empty())
            return nesting();
        try {
            Cursor child = m_open.back();
            m_open.pop_back();
            if (m_open.empty()) {
                find_child(child.cur, child.start, nullptr);
            } else {
                Cursor& parent = m_open.back();
                bool resumable = child.start == parent.cur && child.cur > child.start;
                pass_object(parent.cur, resumable ? child.cur : nullptr);
            }
        } catch (omException& e) {
            record(e);
        }
    }
    std::string attribute(const std::string& name, const std::string& fallback) {
        if (m_failed)
            return fallback;
        if (m_open.empty())
            return nesting(), fallback;
        try {
            return attribute_at(m_open.back().start, name, fallback);
        } catch (omException& e) {
            return record(e), fallback;
        }
    }
    std::string text_node() {
        if (m_failed)
            return "";
        if (m_open.empty())
            return nesting(), "";
        try {
            return next_text(m_open.back().cur, m_open.back().start);
        } catch (omException& e) {
            return record(e), "";
        }
    }
    std::string m_encoding = "Unknown";
    std::string m_errors;
    bool m_failed = false;

private:
    void record(omException& e) {
        m_errors += str(e.explanation());
        m_failed = true;
    }
    void nesting() {
        m_errors += "Incorrect xml nesting";
        m_failed = true;
    }
    std::string m_bytes;
    std::vector<char> m_buffer;
    std::unique_ptr<Cursor> m_initial;
    std::vector<Cursor> m_open;
};

} // namespace ref

// ---- the generated documents -------------------------------------------------

class omBytesFile : public syIQfsFile {
public:
    explicit omBytesFile(std::string bytes) : m_bytes(std::move(bytes)) {}
    bool is_open() const override { return true; }
    int close() override { return 0; }
    int seek(long long distance, int origin) override {
        m_pos = (origin == 2 ? static_cast<long long>(m_bytes.size()) : origin == 1 ? m_pos : 0) + distance;
        return 0;
    }
    long long position() override { return m_pos; }
    std::size_t read(void* buffer, std::size_t, std::size_t count) override {
        std::size_t n = std::min(count, m_bytes.size() - static_cast<std::size_t>(m_pos));
        std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += static_cast<long long>(n);
        return n;
    }
    std::size_t write(const void*, std::size_t, std::size_t) override { return 0; }
    int rewind() override { return seek(0, 0); }

private:
    std::string m_bytes;
    long long m_pos = 0;
};

class Random {
public:
    explicit Random(unsigned seed) : m_state(seed * 2654435761u + 1) {}
    unsigned below(unsigned n) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state % n;
    }
    template <std::size_t N>
    const char* pick(const char* const (&from)[N]) {
        return from[below(N)];
    }

private:
    unsigned m_state;
};

const char* const kNames[] = {"a", "ab", "b", "p:a", "p:ab", "item", "title", "tag", "catalog"};
const char* const kAttributes[] = {" id='1'", " id=\"two\"", " k='v' id='3'", " a=\"\"", "  k = 'v'", " id='x>y'"};
const char* const kLoose[] = {" ",    "\n\t",  "text", "a&amp;b", "<!-- c -->", "<!--a-b-->", "<![CDATA[x]y<a>]]>",
                              "<!x>", "</a >", "<",    ">",       "/",          "\"",         "-",
                              "]]>"};

void element(std::string& out, Random& random, int depth) {
    std::string name = random.pick(kNames);
    out += "<" + name;
    for (unsigned n = random.below(3); n > 0; --n)
        out += random.pick(kAttributes);
    if (random.below(4) == 0) {
        out += random.below(2) ? "/>" : " />";
        return;
    }
    out += ">";
    for (unsigned n = random.below(5); n > 0; --n) {
        unsigned what = random.below(10);
        if (what < 4 && depth < 5)
            element(out, random, depth + 1);
        else if (what < 9)
            out += random.pick(kLoose) + std::string(random.below(12) == 0 ? 1 : 0, '\0');
        else
            out += random.below(2) ? "\n  " : "t";
    }
    out += "</" + (random.below(20) == 0 ? std::string(random.pick(kNames)) : name) + (random.below(8) ? ">" : " >");
}

std::string document(Random& random) {
    const char* const declarations[] = {"<?xml version=\"1.0\"?>",
                                        "<?xml version='1.0' encoding='UTF-8'?>\n",
                                        "<?xml version=\"1.0\" encoding=\"utf-16\"?>",
                                        "<?xml  version='1'  ?>",
                                        "<?xml version=1?>",
                                        "<x/>"};
    std::string out = random.below(10) ? declarations[random.below(2)] : random.pick(declarations);
    for (unsigned n = random.below(3); n > 0; --n)
        out += random.below(2) ? "\n" : "<!-- lead -->";
    element(out, random, 0);
    return out + (random.below(2) ? "\n" : "");
}

// Runs one script of operations on both readers; every answer must agree. A
// walk script repeats the catalog walk's steps instead of random ones.
void compare(const std::string& bytes, unsigned seed, bool walk = false) {
    omSimpleXmlFactory factory;
    auto reader = factory.create_xml_reader_file(3, syIQfsFileqcPrf(new omBytesFile(bytes)));
    ref::Reader old(bytes);
    Random random(seed);
    std::ostringstream script;
    for (int step = 0; step < (walk ? 160 : 40); ++step) {
        unsigned op = step == 0 ? 0 : random.below(20);
        std::string name = random.below(6) ? random.pick(kNames) : random.below(2) ? "" : "p:";
        if (walk && step > 0) {
            const unsigned ops[] = {1, 1, 14, 1, 17, 9, 9};
            const char* const names[] = {"catalog", "item", "", "title", "", "", ""};
            op = ops[step == 1 ? 0 : 1 + (step - 2) % 6];
            name = names[step == 1 ? 0 : 1 + (step - 2) % 6];
        }
        std::string got, want;
        if (op == 0) {
            script << "read_file ";
            got = std::to_string(reader->read_file());
            want = std::to_string(old.read_file());
            got += str(reader->encoding());
            want += old.m_encoding;
        } else if (op < 9) {
            script << "down_to(" << name << ") ";
            got = std::to_string(reader->down_to(kuString(name.c_str())));
            want = std::to_string(old.down_to(name));
        } else if (op < 14) {
            script << "up ";
            reader->up();
            old.up();
        } else if (op < 17) {
            const char* key = random.below(4) ? "id" : random.below(2) ? "k" : "a";
            script << "attribute(" << key << ") ";
            got = str(reader->attribute(kuString(key), ku_lit("dflt")));
            want = old.attribute(key, "dflt");
        } else {
            script << "text_node ";
            got = str(reader->text_node());
            want = old.text_node();
        }
        ASSERT_EQ(got, want) << "document: " << bytes << "\nscript: " << script.str();
        ASSERT_EQ(reader->has_error_occurred(), old.m_failed) << bytes << "\nscript: " << script.str();
        ASSERT_EQ(dumped(*reader), old.m_errors) << "document: " << bytes << "\nscript: " << script.str();
    }
}

TEST(ReaderDifferential, GeneratedDocumentsAndTheirTruncationsAnswerAsTheReferenceDoes) {
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        Random random(seed);
        const std::string bytes = document(random);
        compare(bytes, seed);
        for (int cut = 0; cut < 6; ++cut)
            compare(bytes.substr(0, random.below(static_cast<unsigned>(bytes.size()) + 1)), seed + cut);
        if (HasFatalFailure())
            return;
    }
}

TEST(ReaderDifferential, TheCatalogWalkAnswersAsTheReferenceDoes) {
    std::string catalog = "<?xml version=\"1.0\"?>\n<catalog>\n";
    for (int i = 0; i < 20; ++i)
        catalog += "  <item id=\"i" + std::to_string(i) + "\" name='n'>\n    <title>t " + std::to_string(i) +
                   "</title>\n    <tags><tag>a</tag><tag/></tags>\n  </item>\n";
    catalog += "</catalog>\n";
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const std::string bytes = catalog.substr(0, catalog.size() - (seed - 1) * 37 % catalog.size());
        compare(bytes, seed, seed % 2 == 1);
    }
}

} // namespace
