// Fuzz target of the pull reader: the input is a short script of reader
// operations followed by the file image. The image is served by an in-memory
// file object through omSimpleXmlFactory, so the reader reads it exactly as it
// reads a file on disk. Beyond "no crash, no leak, no overread", the target
// checks the failed-state contract: once an error is recorded, every walking
// operation answers with its neutral result and the error text only grows.

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "memory_file.h"
#include "platform/kuString.h"
#include "platform/syQfsFile.h"
#include "reader/omXmlFactory.h"

namespace {

bool name_char(char c) { return c != ' ' && c != '>' && c != '/' && c != '=' && c != '<' && c != '\0'; }

// Tag names (after '<') and attribute names (before '=') as they stand in the
// image, so that the script's down_to and attribute calls can hit them.
void collect_names(const std::string& image, std::vector<std::string>& tags, std::vector<std::string>& attributes) {
    const std::size_t cap = 32, longest = 40;
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (image[i] == '<' && tags.size() < cap) {
            std::size_t b = i + 1, e = b;
            while (e < image.size() && e - b < longest && name_char(image[e]))
                ++e;
            if (e > b)
                tags.push_back(image.substr(b, e - b));
        } else if (image[i] == '=' && attributes.size() < cap) {
            std::size_t e = i, b = i;
            while (b > 0 && i - b < longest && name_char(image[b - 1]) && image[b - 1] != '\n' && image[b - 1] != '\t')
                --b;
            if (e > b)
                attributes.push_back(image.substr(b, e - b));
        }
    }
    if (tags.empty())
        tags.push_back("a");
    if (attributes.empty())
        attributes.push_back("id");
}

kuString ku(const std::string& s) { return kuString(kuStringArray(), s.data(), static_cast<int>(s.size())); }
std::string str(const kuString& s) { return std::string(s.c_str(), static_cast<std::size_t>(s.length())); }

bool known_error_start(const std::string& dump) {
    static const char* const starts[] = {
        "omEndException:: ", "omCharException:: ", "omTagException:: ", "Incorrect xml nesting"};
    for (const char* s : starts)
        if (dump.compare(0, std::strlen(s), s) == 0)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    omFuzzInput input(data, size);
    std::string script = input.bytes(input.byte() % 33);
    std::string image = input.rest();
    std::vector<std::string> tags, attributes;
    collect_names(image, tags, attributes);

    syIQfsFileqcPrf file(new omMemoryFile(image));
    omSimpleXmlFactory factory;
    std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_file(3, file);
    OM_FUZZ_CHECK(reader != nullptr);
    OM_FUZZ_CHECK(!reader->has_error_occurred());
    OM_FUZZ_CHECK(str(reader->encoding()) == "Unknown");
    reader->read_file();

    const kuString fallback = ku_lit("\x01no value\x01");
    std::string last_dump;
    bool failed = reader->has_error_occurred();
    for (unsigned char op : script) {
        unsigned arg = op / 8;
        switch (op % 8) {
        case 0:
        case 1:
        case 2: {
            bool entered = reader->down_to(ku(tags[arg % tags.size()]));
            if (failed)
                OM_FUZZ_CHECK(!entered);
            break;
        }
        case 3: {
            kuString value = reader->attribute(ku(attributes[arg % attributes.size()]), fallback);
            if (failed)
                OM_FUZZ_CHECK(value == fallback);
            break;
        }
        case 4: {
            kuString text = reader->text_node();
            if (failed)
                OM_FUZZ_CHECK(text.length() == 0);
            break;
        }
        case 5:
            reader->up();
            break;
        case 6: {
            std::ostringstream out;
            reader->dump_error(out);
            std::string dump = out.str();
            OM_FUZZ_CHECK(dump.empty() == !reader->has_error_occurred());
            OM_FUZZ_CHECK(dump.compare(0, last_dump.size(), last_dump) == 0);
            if (!dump.empty())
                OM_FUZZ_CHECK(known_error_start(dump));
            last_dump = dump;
            break;
        }
        default:
            if (arg < 4) {
                // Reading again drops every entered element first.
                reader->read_file();
            } else {
                const std::string& t = tags[arg % tags.size()];
                reader->down_to(ku(t.substr(0, (t.size() + 1) / 2)));
            }
            break;
        }
        // Nothing leaves the failed state.
        if (failed)
            OM_FUZZ_CHECK(reader->has_error_occurred());
        failed = reader->has_error_occurred();
    }
    return 0;
}
