// omxml read: prints texts or attribute values of a simple XML file, walked
// with the pull reader.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

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

// What keeps the simple reader from the file, when it is one of the forms
// outside its subset: UTF-16, or a document type declaration or processing
// instruction before the root element. Empty for anything else.
std::string outside_subset(const std::string& file_name) {
    std::FILE* in = syFileSystem::open_stream(file_name, "rb");
    if (!in)
        return "";
    std::string head(4096, '\0');
    head.resize(std::fread(&head[0], 1, head.size(), in));
    std::fclose(in);
    if (head.compare(0, 2, "\xFF\xFE") == 0 || head.compare(0, 2, "\xFE\xFF") == 0 ||
        head.compare(0, 2, std::string("<\0", 2)) == 0 || head.compare(0, 2, std::string("\0<", 2)) == 0)
        return "it is encoded in UTF-16";
    std::size_t at = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (head.compare(at, 5, "<?xml") == 0 && at + 5 < head.size() && std::strchr(" \t\r\n", head[at + 5])) {
        const std::size_t end = head.find("?>", at);
        const std::string declaration = head.substr(at, end - at);
        for (const char* utf16 : {"\"utf-16\"", "'utf-16'", "\"UTF-16\"", "'UTF-16'"})
            if (declaration.find(utf16) != std::string::npos)
                return "it is declared as UTF-16";
        at = end == std::string::npos ? head.size() : end + 2;
    }
    for (;;) {
        at = head.find_first_not_of(" \t\r\n", at);
        if (at == std::string::npos)
            return "";
        if (head.compare(at, 4, "<!--") == 0) {
            const std::size_t end = head.find("-->", at + 4);
            if (end == std::string::npos)
                return "";
            at = end + 3;
            continue;
        }
        if (head.compare(at, 9, "<!DOCTYPE") == 0)
            return "a document type declaration (<!DOCTYPE ...>) stands before the root element";
        if (head.compare(at, 2, "<?") == 0)
            return "a processing instruction (<?...?>) stands before the root element";
        return "";
    }
}

// One line naming why the reader cannot read the file and what reads it; false
// when the file is not of a kind the reader leaves out.
bool explain_subset(const std::string& file_name, const ReadPath& path) {
    const std::string cause = outside_subset(file_name);
    if (cause.empty())
        return false;
    std::string xpath;
    for (const kuString& name : path.names)
        xpath += std::string("/") + name.c_str();
    if (path.attribute.length())
        xpath += std::string("/@") + path.attribute.c_str();
    std::fprintf(stderr,
                 "omxml read: %s: the simple reader cannot read it: %s; 'omxml select' reads any "
                 "well-formed document: omxml select '%s' '%s'\n",
                 file_name.c_str(), cause.c_str(), xpath.c_str(), file_name.c_str());
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
    if (!omxml_check_readable("read", file_name))
        return 2;
    syIQfsFileqcPrf file(new syQfsFileStdio(kuString(file_name.c_str()), syQfsRead));
    if (!file->is_open()) {
        std::fprintf(stderr, "omxml read: cannot read %s\n", file_name.c_str());
        return 2;
    }
    std::unique_ptr<omAbstractXmlReader> reader = omSimpleXmlFactory().create_xml_reader_file(3, file);
    if (!reader->read_file()) {
        if (explain_subset(file_name, paths[0]))
            return 1;
        if (reader->has_error_occurred()) {
            reader->dump_error(std::cerr);
            return 1;
        }
        std::fprintf(stderr, "omxml read: cannot read %s\n", file_name.c_str());
        return 2;
    }
    for (const ReadPath& path : paths) {
        bool root_found = walk(*reader, path, 0);
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
    }
    return 0;
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
               "element (elements without it print nothing).\n"
               "\n"
               "At every level all matching elements are visited in document order. Names match as the\n"
               "reader matches them: a name also matches longer names that begin with it. Texts are\n"
               "printed as written in the file (entities are not decoded). A file outside the reader's\n"
               "subset (UTF-16, or a document type declaration or processing instruction before the root\n"
               "element) is refused with one line naming the cause; 'omxml select' reads such files.\n"
               "\n"
               "Exit status: 0 read, 1 the reader recorded an error (its texts go to stderr) or the file\n"
               "is outside its subset, 2 usage error or a file that cannot be read.\n"
               "\n"
               "Example:\n"
               "  omxml read app.xml configuration/database@host configuration/database/name");
    return [file, paths] { return run(*file, *paths); };
}

const omxmlCommand read_command("read", "print texts or attributes of a simple XML file by path", &setup);

} // namespace
