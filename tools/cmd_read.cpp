// omxml read: prints texts or attribute values of a simple XML file, walked
// with the pull reader.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "backend/lxTextEncoding.h"
#include "platform/syFileSystem.h"
#include "platform/syQfsFile.h"
#include "reader/omXmlFactory.h"
#include "tools/omxmlCommand.h"
#include "tools/omxmlDocumentTool.h"

namespace {

// One PATH argument: tag names from the root down, and the attribute to print
// (empty for the text).
struct ReadPath {
    std::vector<kuString> names;
    kuString attribute;
};

bool parse_path(const std::string& text, ReadPath& path) {
    std::string elements = text;
    std::size_t at = text.find('@');
    if (at != std::string::npos) {
        std::string attribute = text.substr(at + 1);
        if (attribute.empty() || attribute.find_first_of("/@") != std::string::npos)
            return false;
        path.attribute = kuString(attribute.c_str());
        elements = text.substr(0, at);
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = elements.find('/', start);
        std::string name = elements.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (name.empty())
            return false;
        path.names.push_back(kuString(name.c_str()));
        if (slash == std::string::npos)
            return true;
        start = slash + 1;
    }
}

// Text as valid UTF-8: each byte that does not belong to a well-formed
// sequence becomes U+FFFD.
std::string valid_utf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        bool ok = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; ok && k < length; ++k)
            ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (ok && length >= 3) { // no overlong forms, surrogates or values above U+10FFFF
            const unsigned char second = static_cast<unsigned char>(text[i + 1]);
            ok = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second >= 0xA0) &&
                 !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second >= 0x90);
        }
        out += ok ? text.substr(i, length) : "\xEF\xBF\xBD";
        i += ok ? length : 1;
    }
    return out;
}

// Prints the reader's values as UTF-8 whatever the file declares.
class Printer {
public:
    Printer(std::string file_name, std::string encoding)
        : m_file_name(std::move(file_name)), m_encoding(std::move(encoding)) {}

    void print(const kuString& value) {
        const std::string bytes(value.c_str(), value.length());
        std::string utf8;
        if (!lx_ascii_compatible_to_utf8(m_encoding, bytes, utf8)) {
            utf8 = valid_utf8(bytes);
            if (!m_warned && utf8 != bytes)
                std::fprintf(stderr, "omxml read: %s: bytes that are not valid %s are printed as U+FFFD\n",
                             m_file_name.c_str(), m_encoding.c_str());
            m_warned = m_warned || utf8 != bytes;
        }
        std::cout << utf8 << '\n';
        ++m_printed;
    }

    std::size_t printed() const { return m_printed; }

private:
    std::string m_file_name;
    std::string m_encoding;
    bool m_warned = false;
    std::size_t m_printed = 0;
};

// With the element for names[level - 1] entered (none at level 0), visits
// every matching element for names[level] in order and goes deeper. True when
// at least one element was entered at this level.
bool walk(omAbstractXmlReader& reader, const ReadPath& path, std::size_t level, Printer& printer) {
    bool entered = false;
    while (reader.down_to(path.names[level])) {
        entered = true;
        if (level + 1 < path.names.size()) {
            walk(reader, path, level + 1, printer);
        } else if (path.attribute.length()) {
            // An absent attribute gives back the invalid default: nothing to print.
            kuString value = reader.attribute(path.attribute, kuString());
            if (!value.invalid())
                printer.print(value);
        } else {
            printer.print(reader.text_node());
        }
        reader.up();
        // After up() from the root, down_to would enter the same root again.
        if (level == 0 || reader.has_error_occurred())
            break;
    }
    return entered;
}

std::string path_text(const ReadPath& path) {
    std::string text;
    for (const kuString& name : path.names)
        text += std::string(text.empty() ? "" : "/") + name.c_str();
    if (path.attribute.length())
        text += std::string("@") + path.attribute.c_str();
    return text;
}

// Where a file leaves the reader's subset: the cause and the byte at which the reader stops.
struct Limit {
    std::string cause;
    std::size_t at = 0;
};

bool equal_ignoring_case(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return i == a.size() && !b[i];
}

// The first form in the file that the simple reader leaves out: UTF-16 (by
// its bytes or as declared), anything before the XML declaration or no
// declaration, a document type declaration or processing instruction before
// the root element. An empty cause for anything else.
Limit outside_subset(const std::string& head) {
    if (head.compare(0, 2, "\xFF\xFE") == 0 || head.compare(0, 2, "\xFE\xFF") == 0 ||
        head.compare(0, 2, std::string("<\0", 2)) == 0 || head.compare(0, 2, std::string("\0<", 2)) == 0)
        return {"it is encoded in UTF-16", 0};
    if (head.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return {"it begins with a byte-order mark", 0};
    if (head.compare(0, 5, "<?xml") != 0 || head.size() < 6 || !std::strchr(" \t\r\n", head[5]))
        return {"it does not begin with an XML declaration (<?xml version=\"1.0\"?>), which the reader needs", 0};
    std::size_t at = head.find("?>");
    const std::string declaration = head.substr(0, at);
    const std::size_t name = declaration.find("encoding=");
    if (name != std::string::npos && name + 9 < declaration.size()) {
        const char quote = declaration[name + 9];
        const std::size_t end = declaration.find(quote, name + 10);
        const std::string encoding = declaration.substr(name + 10, end - name - 10);
        if (equal_ignoring_case(encoding, "utf-16"))
            return {"it is declared as UTF-16 (encoding=" + std::string(1, quote) + encoding + std::string(1, quote) +
                        "), which the reader does not read",
                    name};
    }
    at = at == std::string::npos ? head.size() : at + 2;
    for (;;) {
        at = head.find_first_not_of(" \t\r\n", at);
        if (at == std::string::npos)
            return {};
        if (head.compare(at, 4, "<!--") == 0) {
            const std::size_t end = head.find("-->", at + 4);
            if (end == std::string::npos)
                return {};
            at = end + 3;
            continue;
        }
        if (head.compare(at, 9, "<!DOCTYPE") == 0)
            return {"a document type declaration (<!DOCTYPE ...>) stands before the root element", at};
        if (head.compare(at, 2, "<?") == 0)
            return {"a processing instruction (<?...?>) stands before the root element", at};
        return {};
    }
}

// One line "FILE:LINE:COLUMN: why the reader cannot read it; what reads it";
// false when the file is not of a kind the reader leaves out.
bool explain_subset(const std::string& file_name, const ReadPath& path) {
    std::string head(65536, '\0');
    std::FILE* in = syFileSystem::open_stream(file_name, "rb");
    head.resize(in ? std::fread(&head[0], 1, head.size(), in) : 0);
    if (in)
        std::fclose(in);
    const Limit limit = outside_subset(head);
    if (limit.cause.empty())
        return false;
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < limit.at; ++i) {
        if (head[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(head[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    std::string xpath = "/" + path_text(path);
    const std::size_t at = xpath.find('@');
    if (at != std::string::npos)
        xpath.insert(at, "/");
    std::fprintf(stderr,
                 "%s:%zu:%zu: the simple reader cannot read it: %s; 'omxml select' reads any "
                 "well-formed document: omxml select '%s' '%s'\n",
                 file_name.c_str(), line, column, limit.cause.c_str(), xpath.c_str(), file_name.c_str());
    return true;
}

int run(const std::string& file_name, const std::vector<std::string>& path_texts) {
    std::vector<ReadPath> paths(path_texts.size());
    for (std::size_t i = 0; i < path_texts.size(); ++i) {
        if (!parse_path(path_texts[i], paths[i])) {
            std::fprintf(stderr, "omxml read: malformed path '%s' (see 'omxml read --help')\n", path_texts[i].c_str());
            return 2;
        }
    }
    if (!omxml_check_readable(file_name))
        return 2;
    syIQfsFileqcPrf file(new syQfsFileStdio(kuString(file_name.c_str()), syQfsRead));
    std::unique_ptr<omAbstractXmlReader> reader =
        file->is_open() ? omSimpleXmlFactory().create_xml_reader_file(3, file) : nullptr;
    if (!reader || !reader->read_file()) {
        if (explain_subset(file_name, paths[0]))
            return 1;
        if (reader && reader->has_error_occurred()) {
            reader->dump_error(std::cerr);
            return 1;
        }
        std::fprintf(stderr, "%s\n", omxml_cannot_read(file_name, "the file ended before its size").c_str());
        return 2;
    }
    Printer printer(file_name, reader->encoding().c_str());
    int status = 0;
    for (const ReadPath& path : paths) {
        const std::size_t before = printer.printed();
        bool root_found = walk(*reader, path, 0, printer);
        if (reader->has_error_occurred()) {
            std::cout.flush();
            if (!root_found && explain_subset(file_name, path))
                return 1;
            reader->dump_error(std::cerr);
            // A search for the root that fails runs off the end of the file
            // (or into whatever stands before the root): say what was sought.
            if (!root_found)
                std::fprintf(stderr, "omxml read: %s: no root element '%s' found\n", file_name.c_str(),
                             path.names[0].c_str());
            return 1;
        }
        if (printer.printed() == before) {
            std::cout.flush();
            std::fprintf(stderr, "omxml read: %s: %s not found\n", file_name.c_str(), path_text(path).c_str());
            status = 1;
        }
    }
    return status;
}

omxmlCommand::Run setup(CLI::App& app) {
    auto file = std::make_shared<std::string>();
    auto paths = std::make_shared<std::vector<std::string>>();
    app.add_option("FILE", *file, "the file to read")->type_name("")->required();
    app.add_option("PATH", *paths, "tag names from the root element down, separated by /, optionally ending in @ATTR")
        ->type_name("")
        ->required();
    app.footer("Reads FILE with the simple pull reader and prints, one per line, the text of every\n"
               "element PATH names, or with PATH@ATTR the value of attribute ATTR of every such\n"
               "element (elements without it print nothing). A PATH that prints nothing is named on\n"
               "stderr as FILE: PATH not found.\n"
               "\n"
               "At every level all matching elements are visited in document order. Names match as the\n"
               "reader matches them: a name also matches longer names that begin with it. Texts are\n"
               "printed as written in the file (entities are not decoded), in UTF-8: a file declared in\n"
               "another encoding (ISO-8859-1, windows-1252, ...) is converted for display.\n"
               "\n"
               "A file outside the reader's subset is refused with one line, FILE:LINE:COLUMN: cause,\n"
               "at the place where the reader stops: UTF-16 by its bytes or declared so (in any\n"
               "capitalisation), no XML declaration at the very start (a byte-order mark or a blank line\n"
               "before it, or none at all), a document type declaration or processing instruction\n"
               "before the root element. 'omxml select' reads such files.\n"
               "\n"
               "Exit status: 0 every PATH found, 1 a PATH not found, the reader recorded an error (its\n"
               "texts go to stderr) or the file is outside its subset, 2 usage error or a file that\n"
               "cannot be read.\n"
               "\n"
               "Example:\n"
               "  omxml read app.xml configuration/database@host configuration/database/name");
    return [file, paths] { return run(*file, *paths); };
}

const omxmlCommand read_command("read", "print texts or attributes of a simple XML file by path", &setup);

} // namespace
