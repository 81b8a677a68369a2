#include "bench_common.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <libxml/parser.h>

#include <sys/resource.h>

std::string bench_data_dir(int& argc, char** argv) {
    std::string dir = "bench-data";
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--data=", 7) == 0) {
            dir = argv[i] + 7;
        } else {
            argv[out++] = argv[i];
        }
    }
    argc = out;
    return dir;
}

std::string bench_read_file(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::string bytes;
    char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, n);
    }
    std::fclose(file);
    return bytes;
}

namespace {

struct MemoryInput {
    const char* next;
    std::size_t left;
};

int read_memory(void* context, char* buffer, int len) {
    auto* input = static_cast<MemoryInput*>(context);
    const std::size_t n = std::min(input->left, static_cast<std::size_t>(len));
    std::memcpy(buffer, input->next, n);
    input->next += n;
    input->left -= n;
    return static_cast<int>(n);
}

int close_nothing(void*) { return 0; }

bool is_blank(const xmlChar* text) {
    if (text == nullptr) {
        return true;
    }
    for (; *text != 0; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') {
            return false;
        }
    }
    return true;
}

// xml:space of an element: 1 "preserve", 0 "default", -1 absent.
int space_of(const xmlNode* element) {
    for (const xmlAttr* a = element->properties; a != nullptr; a = a->next) {
        if (a->ns != nullptr && xmlStrEqual(a->name, BAD_CAST "space") && xmlStrEqual(a->ns->href, XML_XML_NAMESPACE) &&
            a->children != nullptr && a->children->content != nullptr) {
            if (xmlStrEqual(a->children->content, BAD_CAST "preserve")) {
                return 1;
            }
            if (xmlStrEqual(a->children->content, BAD_CAST "default")) {
                return 0;
            }
        }
    }
    return -1;
}

void trim_children(xmlNode* element) {
    bool structured = false;
    for (xmlNode* child = element->children; child != nullptr; child = child->next) {
        if (child->type == XML_CDATA_SECTION_NODE || (child->type == XML_TEXT_NODE && !is_blank(child->content))) {
            return;
        }
        if (child->type != XML_TEXT_NODE) {
            structured = true;
        }
    }
    if (!structured) {
        return;
    }
    xmlNode* child = element->children;
    while (child != nullptr) {
        xmlNode* next = child->next;
        if (child->type == XML_TEXT_NODE) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
}

xmlNode* first_element(xmlNode* node) {
    while (node != nullptr && node->type != XML_ELEMENT_NODE) {
        node = node->next;
    }
    return node;
}

} // namespace

void bench_drop_indentation(xmlNode* root) {
    if (root == nullptr) {
        return;
    }
    // Pre-order walk over the elements by links, trimming each element's
    // children before entering them; xml:space="preserve" holds for a subtree.
    std::vector<signed char> preserve(1, 0);
    xmlNode* node = root;
    for (;;) {
        const int space = node->properties != nullptr ? space_of(node) : -1;
        preserve.push_back(space < 0 ? preserve.back() : static_cast<signed char>(space));
        if (preserve.back() == 0) {
            trim_children(node);
        }
        if (xmlNode* child = first_element(node->children)) {
            node = child;
            continue;
        }
        for (;;) {
            preserve.pop_back();
            if (node == root) {
                return;
            }
            if (xmlNode* next = first_element(node->next)) {
                node = next;
                break;
            }
            node = node->parent;
        }
    }
}

xmlDocPtr bench_raw_parse(const char* data, std::size_t size) {
    MemoryInput input{data, size};
    return xmlReadIO(&read_memory, &close_nothing, &input, nullptr, nullptr,
                     XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_COMPACT);
}

xmlDocPtr bench_raw_load(const char* data, std::size_t size) {
    xmlDocPtr doc = bench_raw_parse(data, size);
    if (doc != nullptr) {
        bench_drop_indentation(xmlDocGetRootElement(doc));
    }
    return doc;
}

long bench_peak_rss_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
