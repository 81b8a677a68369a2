#pragma once

#include <cstddef>
#include <string>

#include <pugixml.hpp>

class syPath;

// The catalog walk every contender performs: for each item of the root, its
// "id" attribute and the text of its "title". Shared by the timing and the
// memory programs so they measure the same work.
struct WalkResult {
    long items = 0; // -1 when the reader recorded an error
    long id_bytes = 0;
    long title_bytes = 0;
};

// The pull reader's whole cycle on a file: the factory, read_file, the walk,
// the final up() that leaves the root and checks its closing tag, and the
// has_error_occurred() check.
WalkResult walk_omxml_path(const syPath& path);
// pugixml: the walk over a loaded document; bytes are parsed in place.
WalkResult walk_pugixml_doc(const pugi::xml_document& doc);
WalkResult walk_pugixml_inplace(char* bytes, std::size_t size);
// The peers' whole cycle on a file: fopen, fread into a fresh buffer, the
// in-place parse and the walk.
WalkResult walk_pugixml_file(const std::string& path);
WalkResult walk_rapidxml_file(const std::string& path);
// RapidXML: parses the NUL-terminated bytes in place, then walks.
WalkResult walk_rapidxml(char* bytes);
