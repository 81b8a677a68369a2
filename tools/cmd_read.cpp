// omxml read: prints texts or attribute values of a simple XML file, walked
// with the pull reader.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/syQfsFile.h"
#include "reader/omXmlFactory.h"
#include "tools/omxmlCommand.h"

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

void print(const kuString& value) {
    std::cout.write(value.c_str(), value.length());
    std::cout.put('\n');
}

// With the element for names[level - 1] entered (none at level 0), visits
// every matching element for names[level] in order and goes deeper. True when
// at least one element was entered at this level.
bool walk(omAbstractXmlReader& reader, const ReadPath& path, std::size_t level) {
    bool entered = false;
    while (reader.down_to(path.names[level])) {
        entered = true;
        if (level + 1 < path.names.size()) {
            walk(reader, path, level + 1);
        } else if (path.attribute.length()) {
            // An absent attribute gives back the invalid default: nothing to print.
            kuString value = reader.attribute(path.attribute, kuString());
            if (!value.invalid())
                print(value);
        } else {
            print(reader.text_node());
        }
        reader.up();
        // After up() from the root, down_to would enter the same root again.
        if (level == 0 || reader.has_error_occurred())
            break;
    }
    return entered;
}

int usage_error(const char* message) {
    std::fprintf(stderr, "omxml read: %s (see 'omxml read --help')\n", message);
    return 2;
}

int run(int argc, char** argv) {
    if (argc < 3)
        return usage_error("expected a file and at least one path");
    const char* file_name = argv[1];
    std::vector<ReadPath> paths(static_cast<std::size_t>(argc - 2));
    for (int i = 2; i < argc; ++i) {
        if (!parse_path(argv[i], paths[static_cast<std::size_t>(i - 2)])) {
            std::string message = std::string("malformed path '") + argv[i] + "'";
            return usage_error(message.c_str());
        }
    }

    syIQfsFileqcPrf file(new syQfsFileStdio(kuString(file_name), syQfsRead));
    if (!file->is_open()) {
        std::fprintf(stderr, "omxml read: cannot read %s\n", file_name);
        return 2;
    }
    std::unique_ptr<omAbstractXmlReader> reader = omSimpleXmlFactory().create_xml_reader_file(3, file);
    if (!reader->read_file()) {
        if (reader->has_error_occurred()) {
            reader->dump_error(std::cerr);
            return 1;
        }
        kuString encoding = reader->encoding();
        if (encoding.case_compare(ku_lit("utf-16")) == 0) {
            std::fprintf(stderr, "omxml read: %s: encoding %s is not supported\n", file_name, encoding.c_str());
            return 1;
        }
        std::fprintf(stderr, "omxml read: cannot read %s\n", file_name);
        return 2;
    }
    for (const ReadPath& path : paths) {
        bool root_found = walk(*reader, path, 0);
        if (reader->has_error_occurred()) {
            std::cout.flush();
            reader->dump_error(std::cerr);
            // A search for the root that fails runs off the end of the file
            // (or into whatever stands before the root): say what was sought.
            if (!root_found)
                std::fprintf(stderr, "omxml read: %s: no root element '%s' found\n", file_name, path.names[0].c_str());
            return 1;
        }
    }
    return 0;
}

void help(std::FILE* out) {
    std::fprintf(out, "usage: omxml read FILE PATH...\n\n");
    std::fprintf(out, "Reads FILE with the simple pull reader and prints, one per line, the text of\n");
    std::fprintf(out, "every element PATH names, or with PATH@ATTR the value of attribute ATTR of\n");
    std::fprintf(out, "every such element (elements without it print nothing).\n\n");
    std::fprintf(out, "PATH is a slash-separated list of tag names starting at the root element; at\n");
    std::fprintf(out, "every level all matching elements are visited in document order. Names match\n");
    std::fprintf(out, "as the reader matches them: a name also matches longer names that begin with it.\n");
    std::fprintf(out, "Texts are printed as written in the file (entities are not decoded).\n\n");
    std::fprintf(out, "example:\n");
    std::fprintf(out, "  omxml read app.xml configuration/database@host configuration/database/name\n\n");
    std::fprintf(out, "exit status: 0 read, 1 the reader recorded an error (its texts go to stderr)\n");
    std::fprintf(out, "or the file is UTF-16, 2 usage error or a file that cannot be read.\n");
}

const omxmlCommand read_command("read", "print texts or attributes of a simple XML file by path", run, help);

} // namespace
