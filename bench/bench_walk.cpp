#include "bench_walk.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include <rapidxml/rapidxml.hpp>

#include "platform/kuString.h"
#include "platform/syPath.h"
#include "reader/omXmlFactory.h"

namespace {

WalkResult walk_reader(omAbstractXmlReader& reader) {
    WalkResult result;
    if (!reader.read_file() || !reader.down_to(ku_lit("catalog"))) {
        result.items = -1;
        return result;
    }
    const kuString item = ku_lit("item");
    const kuString title = ku_lit("title");
    const kuString id = ku_lit("id");
    const kuString none = ku_lit("");
    while (reader.down_to(item)) {
        ++result.items;
        result.id_bytes += reader.attribute(id, none).length();
        reader.down_to(title);
        result.title_bytes += reader.text_node().length();
        reader.up();
        reader.up();
    }
    reader.up(); // leaves the root and checks its closing tag
    if (reader.has_error_occurred()) {
        result.items = -1;
    }
    return result;
}

// The whole file in a fresh buffer with a NUL after it; empty when it cannot be read.
std::unique_ptr<char[]> read_whole(const std::string& path, std::size_t& size) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    std::unique_ptr<char[]> bytes;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long length = std::ftell(file);
        if (length >= 0 && std::fseek(file, 0, SEEK_SET) == 0) {
            size = static_cast<std::size_t>(length);
            bytes.reset(new char[size + 1]);
            if (std::fread(bytes.get(), 1, size, file) != size) {
                bytes.reset();
            } else {
                bytes[size] = '\0';
            }
        }
    }
    std::fclose(file);
    return bytes;
}

} // namespace

WalkResult walk_omxml_path(const syPath& path) {
    const omSimpleXmlFactory factory;
    const std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_path(3, path);
    return walk_reader(*reader);
}

WalkResult walk_pugixml_doc(const pugi::xml_document& doc) {
    WalkResult result;
    for (pugi::xml_node item = doc.child("catalog").child("item"); item; item = item.next_sibling("item")) {
        ++result.items;
        result.id_bytes += static_cast<long>(std::strlen(item.attribute("id").value()));
        result.title_bytes += static_cast<long>(std::strlen(item.child("title").child_value()));
    }
    return result;
}

WalkResult walk_pugixml_inplace(char* bytes, std::size_t size) {
    pugi::xml_document doc;
    if (!doc.load_buffer_inplace(bytes, size)) {
        return WalkResult{-1, 0, 0};
    }
    return walk_pugixml_doc(doc);
}

WalkResult walk_pugixml_file(const std::string& path) {
    std::size_t size = 0;
    const std::unique_ptr<char[]> bytes = read_whole(path, size);
    return bytes ? walk_pugixml_inplace(bytes.get(), size) : WalkResult{-1, 0, 0};
}

WalkResult walk_rapidxml_file(const std::string& path) {
    std::size_t size = 0;
    const std::unique_ptr<char[]> bytes = read_whole(path, size);
    return bytes ? walk_rapidxml(bytes.get()) : WalkResult{-1, 0, 0};
}

WalkResult walk_rapidxml(char* bytes) {
    WalkResult result;
    rapidxml::xml_document<> doc;
    doc.parse<0>(bytes);
    const rapidxml::xml_node<>* catalog = doc.first_node("catalog");
    if (catalog == nullptr) {
        return WalkResult{-1, 0, 0};
    }
    for (const rapidxml::xml_node<>* item = catalog->first_node("item"); item != nullptr;
         item = item->next_sibling("item")) {
        ++result.items;
        const rapidxml::xml_attribute<>* id = item->first_attribute("id");
        result.id_bytes += id != nullptr ? static_cast<long>(id->value_size()) : 0;
        const rapidxml::xml_node<>* title = item->first_node("title");
        result.title_bytes += title != nullptr ? static_cast<long>(title->value_size()) : 0;
    }
    return result;
}
