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

// The pull reader on bytes already in memory (read through a file object
// over them) or on a file.
WalkResult walk_omxml_bytes(const std::string& bytes);
WalkResult walk_omxml_path(const syPath& path);
// pugixml: the walk over a loaded document; bytes are parsed in place.
WalkResult walk_pugixml_doc(const pugi::xml_document& doc);
WalkResult walk_pugixml_inplace(char* bytes, std::size_t size);
// RapidXML: parses the NUL-terminated bytes in place, then walks.
WalkResult walk_rapidxml(char* bytes);
